#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A private world for one test: a temporary folder to hold files, folders, a
// settings file and a program folder. Nothing outside it is touched.
class TestWorld
{
public:
    TestWorld();
    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const;
    QString settingsFile() const { return path(QStringLiteral("Cloakwell.ini")); }

    // Creates a file (and its folders) with the given bytes; returns its path.
    QString file(const QString& relative, const QByteArray& bytes = QByteArray());
    // A file of n pseudo-random bytes, reproducible from the seed.
    QString randomFile(const QString& relative, qint64 n, quint32 seed = 1);
    QString folder(const QString& relative);

    static QByteArray readAll(const QString& path);
    static QByteArray pattern(qint64 n, quint32 seed = 1);

private:
    QTemporaryDir m_dir;
};
