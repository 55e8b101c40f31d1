#include "platform/FileTypes.h"

#include "platform/Icons.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QStandardPaths>

#include <array>
#include <unordered_map>

namespace platform {

namespace {

// QMimeDatabase matches a name against every glob of the shared MIME
// database, a few microseconds a name: too slow for folders of tens of
// thousands of files. Most globs are plain endings ("*.jpg"); whether a name
// matches one of those depends only on the name from its first dot on (its
// tail), so names with the same tail have the same type, and the tail's
// answer is kept. The few other globs are read from the database's globs2
// files and checked first:
//  - globs that start with "*" ("*~", "*.[1-9]") depend on the tail too, so
//    the check is made once per tail;
//  - globs that start with anything else ("README*", "Makefile") depend on the
//    whole name; they are tried only on names that begin as one of them does.
// A name that such a glob matches is asked in full. When the globs cannot be
// read (Qt then uses a database of its own), every name is asked in full.
class TypeCache
{
public:
    TypeCache() { m_usable = loadSpecialGlobs(); }

    const FileType& forName(const QString& name)
    {
        if (!m_usable)
            return ofMime(askInFull(name));
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        if (mayMatchWholeName(name, dot) && m_all.match(name).hasMatch())
            return ofMime(askInFull(name));
        const QString tail = dot < 0 ? QString() : name.mid(dot);
        auto it = m_byTail.constFind(tail);
        if (it == m_byTail.constEnd()) {
            const bool special = dot >= 0 && m_tailGlobs.match(QLatin1Char('x') + tail).hasMatch();
            it = m_byTail.insert(tail, special ? nullptr : &ofMime(askInFull(name)));
        }
        return *it ? **it : ofMime(askInFull(name));
    }

private:
    QString askInFull(const QString& name)
    {
        return m_db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
    }

    bool mayMatchWholeName(const QString& name, qsizetype dot) const
    {
        if (dot < 0) // no tail: the "*" globs apply to the whole name
            return true;
        if (m_anyFirst || name.isEmpty())
            return true;
        const char16_t c = name.front().unicode();
        if (c >= 128)
            return false;
        if (m_classFirst[c])
            return true;
        for (const QString& prefix : m_prefixes[c])
            if (name.startsWith(prefix, Qt::CaseInsensitive))
                return true;
        return false;
    }

    const FileType& ofMime(const QString& mime)
    {
        auto it = m_byMime.find(mime);
        if (it != m_byMime.end())
            return it->second;
        // A MIME type's description is looked up in its XML on every call, so
        // each type is described once.
        const QMimeType t = m_db.mimeTypeForName(mime);
        FileType ft;
        ft.mimeName = mime;
        if (t.isValid() && !t.isDefault()) {
            ft.typeName = t.comment();
            ft.iconNames = QStringList{t.iconName(), t.genericIconName()};
        }
        ft.iconNames.append(QStringLiteral("text-x-generic"));
        ft.ownIcon = hasOwnIcon(mime);
        return m_byMime.emplace(mime, std::move(ft)).first->second;
    }

    static bool hasOwnIcon(const QString& mime)
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

    // Notes how a glob can start: its fixed text up to the first wildcard, or
    // the characters of a leading set. False when it starts with "*".
    bool noteStart(const QString& glob)
    {
        const QChar c = glob.front();
        if (c == QLatin1Char('*'))
            return false;
        if (c == QLatin1Char('[')) {
            const qsizetype close = glob.indexOf(QLatin1Char(']'), 2);
            const bool negated =
                glob.size() > 1 && (glob[1] == QLatin1Char('!') || glob[1] == QLatin1Char('^'));
            if (close < 0 || negated) {
                m_anyFirst = true;
                return true;
            }
            const QString set = glob.mid(1, close - 1);
            for (qsizetype i = 0; i < set.size(); ++i) {
                if (i + 2 < set.size() && set[i + 1] == QLatin1Char('-')) {
                    for (char16_t x = set[i].unicode(); x <= set[i + 2].unicode(); ++x)
                        noteClassMember(QChar(x));
                    i += 2;
                } else {
                    noteClassMember(set[i]);
                }
            }
            return true;
        }
        if (c == QLatin1Char('?') || c.toLower().unicode() >= 128 || c.toUpper().unicode() >= 128) {
            m_anyFirst = true;
            return true;
        }
        qsizetype end = 0;
        while (end < glob.size() && !QStringLiteral("*?[").contains(glob[end]))
            ++end;
        const QString prefix = glob.left(end).toLower();
        m_prefixes[c.toLower().unicode()].append(prefix);
        m_prefixes[c.toUpper().unicode()].append(prefix);
        return true;
    }

    void noteClassMember(QChar c)
    {
        for (QChar v : {c.toLower(), c.toUpper()}) {
            if (v.unicode() < 128)
                m_classFirst[v.unicode()] = true;
            else
                m_anyFirst = true;
        }
    }

    bool loadSpecialGlobs()
    {
        const QStringList dirs =
            QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
                                      QStandardPaths::LocateDirectory);
        if (dirs.isEmpty())
            return false;
        static const QRegularExpression plainEnding(QStringLiteral("^\\*\\.[^*?\\[\\]]+$"));
        QStringList all, tail;
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
                if (f.size() < 3 || f[2].isEmpty() || plainEnding.match(f[2]).hasMatch())
                    continue;
                const QString re = QRegularExpression::wildcardToRegularExpression(f[2]);
                all.append(re);
                if (!noteStart(f[2])) {
                    // A "*" glob whose fixed part holds a dot that is not its
                    // first character could reach in front of the tail.
                    const QString rest = f[2].mid(1);
                    if (!rest.startsWith(QLatin1Char('.')) && rest.contains(QLatin1Char('.')))
                        m_anyFirst = true;
                    tail.append(re);
                }
            }
        }
        // Case-insensitive for all: a name caught here is only asked in full.
        const auto options = QRegularExpression::CaseInsensitiveOption;
        all.removeDuplicates();
        tail.removeDuplicates();
        m_all = QRegularExpression(
            all.isEmpty() ? QStringLiteral("(?!)") : all.join(QLatin1Char('|')), options);
        m_tailGlobs = QRegularExpression(
            tail.isEmpty() ? QStringLiteral("(?!)") : tail.join(QLatin1Char('|')), options);
        m_all.optimize();
        m_tailGlobs.optimize();
        return m_all.isValid() && m_tailGlobs.isValid();
    }

    QMimeDatabase m_db;
    QRegularExpression m_all;       // every glob that is not a plain ending
    QRegularExpression m_tailGlobs; // those of them that start with "*"
    // By first character (ASCII): fixed beginnings of whole-name globs, and
    // whether a glob starting with a set ("[0-9]...") can start with it.
    std::array<QStringList, 128> m_prefixes;
    std::array<bool, 128> m_classFirst{};
    bool m_anyFirst = false; // some glob can start with anything
    bool m_usable = false;
    QHash<QString, const FileType*> m_byTail;       // nullptr: ask each name in full
    std::unordered_map<QString, FileType> m_byMime; // nodes stay put: references live on
};

} // namespace

const FileType& fileTypeForName(const QString& name)
{
    static TypeCache cache;
    return cache.forName(name);
}

QIcon fileTypeIcon(const FileType& type)
{
    return themedIcon(type.iconNames, DrawnIcon::File);
}

} // namespace platform
