#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <vector>

// What a Properties window shows of one file or folder, and the sum of a
// folder's file sizes, worked through a slice at a time so that the window
// showing it stays responsive.
namespace mainwindow {

// The item as the pane shows it.
struct PropertiesSubject
{
    QString key;  // the full path as on disk
    QString text; // the shown name
    bool isFolder = false;
    // A hidden item of the Libraries window; the Explorer shows names as they
    // are on disk and never sets it.
    bool hidden = false;
};

struct ItemProperties
{
    QString caption; // "File Properties" or "Folder Properties"
    QString object_name;
    QString path; // the folder that holds the item
    QString size; // a file's size; "" for a folder until it has been summed
    QString encrypted_name;
    QString level;
    bool sumFolder = false;
    QString fullPath; // the item on disk
};

struct PropertiesLoad
{
    ItemProperties properties;
    QString error; // not "" when the item cannot be described
};

PropertiesLoad describe_item(const PropertiesSubject& subject);

// Sums the sizes of the regular files at any depth below a folder. Symbolic
// links are neither followed nor counted. Folders that cannot be read are
// noted and left out; the walk goes on.
class FolderSizeWalk
{
public:
    explicit FolderSizeWalk(const QString& root);
    ~FolderSizeWalk();
    FolderSizeWalk(const FolderSizeWalk&) = delete;
    FolderSizeWalk& operator=(const FolderSizeWalk&) = delete;

    // Works on for about the budget; true once the whole tree is summed.
    bool step(std::chrono::milliseconds budget);
    bool done() const;

    quint64 bytes() const { return m_bytes; }
    qint64 files() const { return m_files; }
    const QStringList& unreadable() const { return m_unreadable; }

private:
    struct OpenFolder;
    std::vector<QByteArray> m_pending;
    std::unique_ptr<OpenFolder> m_open;
    quint64 m_bytes = 0;
    qint64 m_files = 0;
    QStringList m_unreadable;
};

// The size line when the walk is done, and the note on what it left out
// ("" when nothing).
QString folder_size_text(const FolderSizeWalk& walk);
QString unreadable_note(const QStringList& unreadable);

} // namespace mainwindow
