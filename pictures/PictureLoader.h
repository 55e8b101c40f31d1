#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace platform {
class PromptService;
}

// Reading and decoding one picture file, hidden or not, without widgets. A
// hidden picture (level 2 or 3) is restored in memory only: the file on disk is
// opened for reading and never written, renamed or touched.
namespace pictures {

// The kinds of picture the program reads, told apart by content alone (a
// hidden file's name ends in ".kz2", so the suffix says nothing).
enum class PictureFormat { Unknown, Bmp, Ico, Cur, Gif, Jpeg, Png, Wmf, Emf };
PictureFormat sniffFormat(const QByteArray& head);

// A file larger than this is not read into memory at all.
inline constexpr qint64 kMaxPictureFileBytes = qint64(512) << 20;
// The largest decoded picture (32-bit pixels): a 9000 x 6000 photo (216 MB)
// opens, a header claiming gigapixels is refused before anything is allocated.
inline constexpr qint64 kMaxDecodedBytes = qint64(1024) << 20;
inline constexpr int kMaxPictureSide = 65535;

enum class LoadFailure {
    None,
    Invalid,      // unreadable, unsupported or corrupt: "Invalid picture"
    Undecryptable // a hidden picture whose bytes could not be read
};

struct LoadedPicture
{
    LoadFailure failure = LoadFailure::Invalid;
    QImage image;         // the decoded picture, reduced to the box when one was given
    QSize naturalSize;    // the picture's own size in pixels at 96 dpi, upright
    bool reduced = false; // image is smaller than naturalSize

    bool ok() const { return failure == LoadFailure::None; }
    // The text the user is shown for a failure ("" when none).
    QString message() const;
};

inline const char* const kInvalidPictureText = "Invalid picture";
inline const char* const kUndecryptableText = "The image could not be opened for decryption";

// The file's bytes as the picture they stand for: a hidden file of level 2 or
// 3 has its inverted region restored in the returned buffer. On failure
// returns false and sets failure.
bool readPictureBytes(const QString& path, QByteArray& bytes, LoadFailure& failure);

// Decodes a picture from memory. With a valid box (device pixels) a picture
// larger than the box is decoded reduced to fit it, aspect ratio kept; an
// empty box decodes at full size. EXIF orientation is applied.
LoadedPicture decodePicture(const QByteArray& bytes, QSize box = {});

// readPictureBytes, then decodePicture.
LoadedPicture loadPicture(const QString& path, QSize box = {});

// Shows the failure's message (OK button, no title of its own).
void reportLoadFailure(const LoadedPicture& picture, platform::PromptService& prompt);

// The size a picture of natural size `natural` is decoded at for a box: the
// natural size when it fits (or there is no box), else scaled down into it.
QSize reducedSize(QSize natural, QSize box);

} // namespace pictures
