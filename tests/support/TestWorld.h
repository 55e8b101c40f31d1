#pragma once

#include <QByteArray>
#include <QString>

// A private world for one test: a temporary folder to hold files, folders, a
// settings file and a program folder. Nothing outside it is touched, and
// nothing of it is left behind: not a folder a test made unreadable, nor a
// name that is not valid text.
class TestWorld
{
public:
    TestWorld();
    ~TestWorld();
    TestWorld(const TestWorld&) = delete;
    TestWorld& operator=(const TestWorld&) = delete;

    bool isValid() const { return !m_root.isEmpty(); }
    QString root() const { return m_root; }
    QString path(const QString& relative) const;
    QString settingsFile() const { return path(QStringLiteral("Cloakwell.ini")); }

    // Creates a file (and its folders) with the given bytes; returns its path.
    QString file(const QString& relative, const QByteArray& bytes = QByteArray());
    // A file of n pseudo-random bytes, reproducible from the seed.
    QString randomFile(const QString& relative, qint64 n, quint32 seed = 1);
    QString folder(const QString& relative);

    static QByteArray readAll(const QString& path);
    static QByteArray pattern(qint64 n, quint32 seed = 1);

    // Removes a folder and everything below it, whatever the names and modes
    // inside; never follows a symbolic link out of it. False when something
    // stayed.
    static bool removeTree(const QByteArray& path);

private:
    QString m_root;
    qint64 m_owner; // the process that made the world
};
