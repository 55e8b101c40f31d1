#pragma once

// The collection both hide-all benchmarks work on: Libraries of folders of
// 300 KB pictures, made once and remembered, and the reference that hides or
// unhides the same items through the single-item operations directly.
#include "bench/BenchSupport.h"
#include "engine/mEncrypt.h"
#include "libraries/mLibraries.h"
#include "platform/Paths.h"
#include "settings/mRegistry.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace bench {

inline constexpr int kLibraries = 2;
inline constexpr int kTopFolders = 50; // per Library, each with kSubFolders subfolders
inline constexpr int kSubFolders = 9;
inline constexpr int kFilesPerFolder = 10;
inline constexpr qint64 kFileSize = 300 * 1024;

// Yes to the command's question; any other prompt is a fault.
class YesPrompt : public SilentPrompt
{
public:
    int questions = 0;
    platform::PromptAnswer ask(const platform::PromptRequest& r) override
    {
        if (r.buttons == platform::PromptButtons::YesNo) {
            ++questions;
            return platform::PromptAnswer::Yes;
        }
        return SilentPrompt::ask(r);
    }
};

// The items as created, so the reference needs no listing of its own.
struct Folder
{
    QString name;
    std::vector<Folder> subfolders;
    std::vector<QString> files;
};

inline Folder makeTree(const QString& path, int depth, const QByteArray& block, int& serial)
{
    Folder f;
    QDir().mkpath(path);
    for (int i = 0; depth > 0 && i < kFilesPerFolder; ++i) {
        const QString name = QStringLiteral("picture %1.jpg").arg(++serial);
        QFile out(platform::joinPath(path, name));
        if (!out.open(QIODevice::WriteOnly))
            std::exit(1);
        QByteArray bytes = block;
        std::memcpy(bytes.data(), &serial, sizeof serial);
        out.write(bytes);
        f.files.push_back(name);
    }
    const int count = depth == 0 ? kTopFolders : depth == 1 ? kSubFolders : 0;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Folder %1").arg(i + 1);
        f.subfolders.push_back(makeTree(platform::joinPath(path, name), depth + 1, block, serial));
        f.subfolders.back().name = name;
    }
    return f;
}

// The reference: the single-item operations, in the walk's order, on names
// known in advance. Returns the items changed.
inline int reference(const QString& path, Folder& f, bool hiding, const mEncrypt::Context& ctx)
{
    int changed = 0;
    for (Folder& sub : f.subfolders) {
        const QString at = platform::joinPath(path, sub.name);
        const QString name =
            hiding ? mEncrypt::hide_folder(at, ctx) : mEncrypt::unhide_folder(at, ctx);
        changed += !name.isEmpty();
        sub.name = name;
        changed += reference(platform::joinPath(path, name), sub, hiding, ctx);
    }
    for (QString& file : f.files) {
        const QString at = platform::joinPath(path, file);
        file = hiding ? mEncrypt::hide_file(at, ctx) : mEncrypt::unhide_file(at, ctx);
        changed += !file.isEmpty();
    }
    return changed;
}

// Writes the Libraries "Library 1", "Library 2", ... below root, registers
// them in the store and flushes everything to disk.
inline std::vector<Folder> makeCollection(const QString& root, const settings::SettingsStore& store)
{
    QByteArray block(kFileSize, Qt::Uninitialized);
    for (qint64 i = 0; i < kFileSize; ++i)
        block[i] = static_cast<char>((i * 2654435761u) >> 13);
    std::vector<Folder> libraries;
    int serial = 0;
    const double madeAt = now();
    for (int l = 1; l <= kLibraries; ++l) {
        const QString path = root + QStringLiteral("/Library %1").arg(l);
        libraries.push_back(makeTree(path, 0, block, serial));
        mLibraries::add_library_entry(store, QStringLiteral("Library %1").arg(l), path);
    }
    ::sync();
    std::printf("test data written in %.1f s\n", now() - madeAt);
    return libraries;
}

} // namespace bench
