#include "platform/FileTypes.h"

#include "platform/Icons.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QStandardPaths>

namespace platform {

namespace {

// QMimeDatabase matches a name against every glob of the shared MIME
// database, a few microseconds a name: too slow for folders of tens of
// thousands of files. Most globs are plain endings ("*.jpg"), and whether a
// name matches one of those depends only on the name from its first dot on.
// So a name that no other kind of glob can match ("README*", "Makefile",
// "*~") has the type of any other name with the same tail, and the tail's
// answer is kept. The other globs are read from the database's globs2 files;
// when those cannot be read, every name is asked in full.
class TailCache
{
public:
    TailCache() { m_usable = loadSpecialGlobs(); }

    QString mimeNameFor(const QString& name)
    {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        const bool special = !m_usable || (m_hasSpecial && m_special.match(name).hasMatch());
        if (special)
            return m_db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
        const QString tail = dot < 0 ? QString() : name.mid(dot);
        auto it = m_byTail.constFind(tail);
        if (it != m_byTail.constEnd())
            return *it;
        const QString mime = m_db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
        m_byTail.insert(tail, mime);
        return mime;
    }

    QMimeDatabase& db() { return m_db; }

private:
    bool loadSpecialGlobs()
    {
        const QStringList dirs =
            QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
                                      QStandardPaths::LocateDirectory);
        if (dirs.isEmpty())
            return false; // Qt falls back to its built-in database; its globs are unknown here
        static const QRegularExpression plainEnding(QStringLiteral("^\\*\\.[^*?\\[\\]]+$"));
        QStringList parts;
        for (const QString& dir : dirs) {
            QFile globs(dir + QStringLiteral("/globs2"));
            if (!globs.open(QIODevice::ReadOnly | QIODevice::Text))
                return false;
            while (!globs.atEnd()) {
                const QString line = QString::fromUtf8(globs.readLine()).trimmed();
                if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                    continue;
                // weight:type:glob[:flags]
                const QStringList f = line.split(QLatin1Char(':'));
                if (f.size() < 3)
                    continue;
                if (!plainEnding.match(f[2]).hasMatch())
                    parts.append(QRegularExpression::wildcardToRegularExpression(f[2]));
            }
        }
        parts.removeDuplicates();
        m_hasSpecial = !parts.isEmpty();
        // Case-insensitive for all: a name caught here is only asked in full.
        m_special.setPattern(parts.join(QLatin1Char('|')));
        m_special.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
        m_special.optimize();
        return m_special.isValid();
    }

    QMimeDatabase m_db;
    QRegularExpression m_special;
    bool m_hasSpecial = false;
    bool m_usable = false;
    QHash<QString, QString> m_byTail;
};

bool hasOwnIcon(const QString& mime)
{
    static const QStringList own = {
        // applications
        QStringLiteral("application/x-ms-dos-executable"),
        QStringLiteral("application/x-msdownload"),
        QStringLiteral("application/x-executable"),
        QStringLiteral("application/vnd.appimage"),
        // shortcuts
        QStringLiteral("application/x-desktop"),
        QStringLiteral("application/x-ms-shortcut"),
        // icons and cursors
        QStringLiteral("image/vnd.microsoft.icon"),
        QStringLiteral("image/x-icns"),
        QStringLiteral("image/x-win-bitmap"),
        QStringLiteral("application/x-navi-animation"),
        QStringLiteral("image/x-xcursor"),
    };
    return own.contains(mime);
}

TailCache& tailCache()
{
    static TailCache cache;
    return cache;
}

} // namespace

FileType fileTypeForName(const QString& name)
{
    // A MIME type's description is looked up in its XML on every call, so
    // each type is described once.
    static QHash<QString, FileType> byMime;
    TailCache& cache = tailCache();
    const QString mime = cache.mimeNameFor(name);
    auto it = byMime.constFind(mime);
    if (it != byMime.constEnd())
        return *it;
    const QMimeType t = cache.db().mimeTypeForName(mime);
    FileType ft;
    ft.mimeName = mime;
    if (t.isValid() && !t.isDefault()) {
        ft.typeName = t.comment();
        ft.iconNames = QStringList{t.iconName(), t.genericIconName()};
    }
    ft.iconNames.append(QStringLiteral("text-x-generic"));
    ft.ownIcon = hasOwnIcon(mime);
    byMime.insert(mime, ft);
    return ft;
}

QIcon fileTypeIcon(const FileType& type)
{
    return themedIcon(type.iconNames, DrawnIcon::File);
}

} // namespace platform
