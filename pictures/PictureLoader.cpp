#include "pictures/PictureLoader.h"

#include "engine/mEncrypt.h"
#include "pictures/Metafile.h"
#include "platform/Prompt.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace pictures {

namespace {

quint16 le16(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}
quint32 le32(const QByteArray& b, qsizetype at)
{
    return quint32(le16(b, at)) | (quint32(le16(b, at + 2)) << 16);
}

// Qt refuses to allocate more than 128 MB for one picture by default, which
// keeps a 9000 x 6000 photo out. The limit is process-wide, so it is raised
// once, to our own cap; decodePicture also checks the size a header claims
// before anything is decoded.
void raiseAllocationLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(static_cast<int>(kMaxDecodedBytes >> 20) + 1);
    });
}

const char* qtFormatName(PictureFormat f)
{
    switch (f) {
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Ico:
        return "ico";
    case PictureFormat::Cur:
        return "cur";
    case PictureFormat::Gif:
        return "gif";
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Png:
        return "png";
    default:
        return nullptr;
    }
}

bool sizeAllowed(QSize s)
{
    return s.width() > 0 && s.height() > 0 && s.width() <= kMaxPictureSide &&
           s.height() <= kMaxPictureSide && qint64(s.width()) * s.height() * 4 <= kMaxDecodedBytes;
}

LoadedPicture decodeWithQt(const QByteArray& bytes, PictureFormat format, QSize box)
{
    raiseAllocationLimit();
    LoadedPicture out;
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return out;
    QImageReader reader(&buffer, qtFormatName(format));
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    // A reader that cannot tell its size up front decodes first and is checked
    // after; the allocation limit still bounds it.
    if (stored.isValid() && !sizeAllowed(stored))
        return out;
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    if (stored.isValid()) {
        const QSize natural = turned ? stored.transposed() : stored;
        const QSize target = reducedSize(natural, box);
        // The reader scales before it turns the picture upright, so the size
        // it is given is the stored (unturned) one.
        if (target != natural)
            reader.setScaledSize(turned ? target.transposed() : target);
        out.naturalSize = natural;
    }
    QImage image = reader.read();
    if (image.isNull())
        return out;
    // A header's size and the picture it holds can disagree (a GIF's screen
    // and its first frame): what was decoded is the picture.
    if (out.naturalSize.isValid() && image.size() != reducedSize(out.naturalSize, box))
        out.naturalSize = QSize();
    if (!out.naturalSize.isValid()) {
        if (!sizeAllowed(image.size()))
            return out;
        out.naturalSize = image.size();
        const QSize target = reducedSize(out.naturalSize, box);
        if (target != out.naturalSize)
            image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    out.reduced = image.size() != out.naturalSize;
    out.image = std::move(image);
    out.failure = LoadFailure::None;
    return out;
}

} // namespace

PictureFormat sniffFormat(const QByteArray& b)
{
    const qsizetype n = b.size();
    if (n >= 2 && b.startsWith("BM"))
        return PictureFormat::Bmp;
    if (n >= 6 && le16(b, 0) == 0 && (le16(b, 2) == 1 || le16(b, 2) == 2) && le16(b, 4) > 0)
        return le16(b, 2) == 1 ? PictureFormat::Ico : PictureFormat::Cur;
    if (n >= 6 && (b.startsWith("GIF87a") || b.startsWith("GIF89a")))
        return PictureFormat::Gif;
    if (n >= 3 && quint8(b[0]) == 0xFF && quint8(b[1]) == 0xD8 && quint8(b[2]) == 0xFF)
        return PictureFormat::Jpeg;
    if (n >= 8 && b.startsWith("\x89PNG\r\n\x1a\n"))
        return PictureFormat::Png;
    if (n >= 44 && le32(b, 0) == 1 && le32(b, 40) == 0x464D4520) // " EMF"
        return PictureFormat::Emf;
    if (n >= 4 && le32(b, 0) == 0x9AC6CDD7) // the placeable metafile key
        return PictureFormat::Wmf;
    // A bare metafile header: type 1 (memory) or 2 (disk), nine words long,
    // version 0x0100 or 0x0300.
    if (n >= 18 && (le16(b, 0) == 1 || le16(b, 0) == 2) && le16(b, 2) == 9 &&
        (le16(b, 4) == 0x0100 || le16(b, 4) == 0x0300))
        return PictureFormat::Wmf;
    return PictureFormat::Unknown;
}

QString LoadedPicture::message() const
{
    switch (failure) {
    case LoadFailure::None:
        return QString();
    case LoadFailure::Invalid:
        return QString::fromLatin1(kInvalidPictureText);
    case LoadFailure::Undecryptable:
        return QString::fromLatin1(kUndecryptableText);
    }
    return QString();
}

QSize reducedSize(QSize natural, QSize box)
{
    if (!box.isValid() || box.isEmpty() || natural.isEmpty())
        return natural;
    if (natural.width() <= box.width() && natural.height() <= box.height())
        return natural;
    QSize s = natural.scaled(box, Qt::KeepAspectRatio);
    return s.expandedTo(QSize(1, 1));
}

bool readPictureBytes(const QString& path, QByteArray& bytes, LoadFailure& failure)
{
    const short level = mEncrypt::is_hidden_name(path) ? mEncrypt::hidden_level(path) : short(0);
    const bool inverted = level == 2 || level == 3;
    failure = inverted ? LoadFailure::Undecryptable : LoadFailure::Invalid;
    bytes.clear();
    // Read only, and never block on a FIFO or a device that happens to carry a
    // picture's name: only a regular file is read.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st
    {
    };
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && st.st_size > kMaxPictureFileBytes) {
        // Readable, but no picture we would decode is this large.
        ::close(fd);
        failure = LoadFailure::Invalid;
        return false;
    }
    if (ok) {
        // The size may change while we read; what is read is what is decoded,
        // up to the cap.
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t r = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0) {
                ok = false;
                break;
            }
            if (r == 0)
                break;
            got += r;
        }
        bytes.truncate(got);
    }
    ::close(fd);
    if (!ok) {
        bytes.clear();
        return false;
    }
    if (bytes.isEmpty()) {
        failure = LoadFailure::Invalid; // nothing to restore, nothing to show
        return false;
    }
    if (inverted) {
        const qsizetype region =
            level == 2 ? 1 : qsizetype(qMin<qint64>(bytes.size(), mEncrypt::kLevel3Region));
        char* data = bytes.data();
        for (qsizetype i = 0; i < region; ++i)
            data[i] = char(~quint8(data[i]));
    }
    failure = LoadFailure::None;
    return true;
}

LoadedPicture decodePicture(const QByteArray& bytes, QSize box)
{
    const PictureFormat format = sniffFormat(bytes);
    switch (format) {
    case PictureFormat::Unknown:
        return LoadedPicture{};
    case PictureFormat::Wmf:
    case PictureFormat::Emf:
        return renderMetafile(bytes, format == PictureFormat::Emf, box);
    default:
        return decodeWithQt(bytes, format, box);
    }
}

LoadedPicture loadPicture(const QString& path, QSize box)
{
    QByteArray bytes;
    LoadFailure failure = LoadFailure::None;
    if (!readPictureBytes(path, bytes, failure)) {
        LoadedPicture out;
        out.failure = failure;
        return out;
    }
    return decodePicture(bytes, box);
}

void reportLoadFailure(const LoadedPicture& picture, platform::PromptService& prompt)
{
    if (!picture.ok())
        prompt.message(picture.message());
}

} // namespace pictures
