#pragma once

#include <QByteArray>
#include <QtEndian>
#include <QtGlobal>

#include <cstring>

namespace pictures {

// Little-endian reads from one record of a metafile. Every read is checked
// against the record's end; a read past it returns 0 and marks the reader
// failed, so a player checks ok() once after taking a record's fields.
class MetaBytes
{
public:
    MetaBytes() = default;
    MetaBytes(const char* data, qsizetype size) : m_data(data), m_size(size < 0 ? 0 : size) {}

    qsizetype size() const { return m_size; }
    qsizetype pos() const { return m_pos; }
    bool ok() const { return m_ok; }
    bool has(qsizetype n) const { return n >= 0 && m_pos <= m_size && n <= m_size - m_pos; }
    const char* data() const { return m_data; }

    void seek(qsizetype at)
    {
        if (at < 0 || at > m_size)
            m_ok = false;
        else
            m_pos = at;
    }
    void skip(qsizetype n)
    {
        if (!has(n))
            fail();
        else
            m_pos += n;
    }

    quint8 u8() { return take<quint8>(); }
    quint16 u16() { return take<quint16>(); }
    qint16 i16() { return take<qint16>(); }
    quint32 u32() { return take<quint32>(); }
    qint32 i32() { return take<qint32>(); }
    float f32()
    {
        const quint32 bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    // n bytes from here, or an empty array (and failed) when fewer remain.
    QByteArray bytes(qsizetype n)
    {
        if (!has(n)) {
            fail();
            return {};
        }
        QByteArray out(m_data + m_pos, n);
        m_pos += n;
        return out;
    }
    // A slice [offset, offset + length) of the whole record, bounds-checked.
    bool slice(quint32 offset, quint32 length, const char*& out) const
    {
        if (qint64(offset) + qint64(length) > qint64(m_size))
            return false;
        out = m_data + offset;
        return true;
    }

private:
    template <typename T> T take()
    {
        if (!has(qsizetype(sizeof(T)))) {
            fail();
            return T{};
        }
        T v{};
        // Metafiles are little-endian, like every machine this runs on.
        std::memcpy(&v, m_data + m_pos, sizeof(T));
        m_pos += qsizetype(sizeof(T));
        return qFromLittleEndian(v);
    }
    void fail()
    {
        m_ok = false;
        m_pos = m_size;
    }

    const char* m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

} // namespace pictures
