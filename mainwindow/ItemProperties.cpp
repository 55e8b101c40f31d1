#include "mainwindow/ItemProperties.h"

#include "browse/mMisc.h"
#include "engine/mEncrypt.h"
#include "platform/Paths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <sys/stat.h>

namespace mainwindow {

namespace {

const QString kNotApplicable = QStringLiteral("n/a");

} // namespace

PropertiesLoad describe_item(const PropertiesSubject& subject)
{
    PropertiesLoad load;
    ItemProperties& p = load.properties;
    const QFileInfo info(subject.key);
    // Fixed nodes ("My Libraries", "My Computer") are no place on disk.
    if (!info.isAbsolute()) {
        load.error = QStringLiteral("\"%1\" is not a file or folder.").arg(subject.text);
        return load;
    }
    if (!info.exists()) {
        load.error = QStringLiteral("\"%1\" could not be found. It may have been moved, "
                                    "renamed or deleted.")
                         .arg(subject.text);
        return load;
    }
    p.caption =
        subject.isFolder ? QStringLiteral("Folder Properties") : QStringLiteral("File Properties");
    p.object_name = subject.text;
    p.path = platform::parentFolder(subject.key);
    p.fullPath = subject.key;
    const QString onDisk = platform::bareName(subject.key);
    if (subject.hidden && mEncrypt::is_hidden_name(onDisk)) {
        p.encrypted_name = onDisk;
        p.level = onDisk.right(1);
    } else {
        p.encrypted_name = kNotApplicable;
        p.level = kNotApplicable;
    }
    if (subject.isFolder)
        p.sumFolder = true;
    else
        p.size = mMisc::format_size(static_cast<double>(info.size()), false);
    return load;
}

struct FolderSizeWalk::OpenFolder
{
    QByteArray path;
    DIR* dir = nullptr;
    ~OpenFolder()
    {
        if (dir)
            closedir(dir);
    }
};

FolderSizeWalk::FolderSizeWalk(const QString& root)
{
    m_pending.push_back(QFile::encodeName(root));
}

FolderSizeWalk::~FolderSizeWalk() = default;

bool FolderSizeWalk::done() const
{
    return !m_open && m_pending.empty();
}

bool FolderSizeWalk::step(std::chrono::milliseconds budget)
{
    QElapsedTimer clock;
    clock.start();
    int sinceCheck = 0;
    while (!done()) {
        if (++sinceCheck >= 64) {
            sinceCheck = 0;
            if (clock.elapsed() >= budget.count())
                return false;
        }
        if (!m_open) {
            auto next = std::make_unique<OpenFolder>();
            next->path = std::move(m_pending.back());
            m_pending.pop_back();
            next->dir = opendir(next->path.constData());
            if (!next->dir) {
                m_unreadable << QFile::decodeName(next->path);
                continue;
            }
            m_open = std::move(next);
        }
        errno = 0;
        const dirent* entry = readdir(m_open->dir);
        if (!entry) {
            if (errno != 0)
                m_unreadable << QFile::decodeName(m_open->path);
            m_open.reset();
            continue;
        }
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray full =
            m_open->path.endsWith('/') ? m_open->path + name : m_open->path + '/' + name;
        struct stat st
        {
        };
        if (lstat(full.constData(), &st) != 0)
            continue; // gone meanwhile
        if (S_ISDIR(st.st_mode))
            m_pending.push_back(full);
        else if (S_ISREG(st.st_mode)) {
            m_bytes += static_cast<quint64>(st.st_size);
            ++m_files;
        }
    }
    return true;
}

QString folder_size_text(const FolderSizeWalk& walk)
{
    return mMisc::format_size(static_cast<double>(walk.bytes()), false);
}

QString unreadable_note(const QStringList& unreadable)
{
    if (unreadable.isEmpty())
        return QString();
    if (unreadable.size() == 1)
        return QStringLiteral("1 folder could not be read and is not counted.");
    return QStringLiteral("%1 folders could not be read and are not counted.")
        .arg(unreadable.size());
}

} // namespace mainwindow
