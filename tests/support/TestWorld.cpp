#include "TestWorld.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestWorld::TestWorld() : m_dir(QDir::tempPath() + QStringLiteral("/cloakwell-test-XXXXXX")) {}

QString TestWorld::path(const QString& relative) const
{
    return m_dir.filePath(relative);
}

QString TestWorld::folder(const QString& relative)
{
    const QString p = path(relative);
    QDir().mkpath(p);
    return p;
}

QString TestWorld::file(const QString& relative, const QByteArray& bytes)
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return p;
}

QByteArray TestWorld::pattern(qint64 n, quint32 seed)
{
    QByteArray out(n, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 12345u;
    for (qint64 i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<char>(x & 0xFF);
    }
    return out;
}

QString TestWorld::randomFile(const QString& relative, qint64 n, quint32 seed)
{
    return file(relative, pattern(n, seed));
}

QByteArray TestWorld::readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
