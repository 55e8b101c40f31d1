#include "platform/FileTypes.h"

#include "platform/Icons.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
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
//
// The answer is kept per ending, not per tail: date-stamped names such as
// "2001.03.000123 beach.jpg" each have a tail of their own, and a folder of
// them would grow the cache by one entry a name. The ending that decides a
// plain-ending match is the last dot segment, widened one segment at a time
// while it is the end of some longer plain ending (".gz" of "*.tar.gz"). The
// "*" globs that reach in front of the last segment ("*.so.[0-9]*") are tried
// on every name. And the cache is emptied when it grows past a few thousand
// endings all the same.
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
        if (dot >= 0 && m_reachingGlobs.match(name).hasMatch())
            return ofMime(askInFull(name));
        const QString ending = dot < 0 ? QString() : name.mid(endingStart(name, dot));
        auto it = m_byEnding.constFind(ending);
        if (it == m_byEnding.constEnd()) {
            if (m_byEnding.size() >= kMaxEndings)
                m_byEnding.clear();
            const bool special =
                dot >= 0 && m_tailGlobs.match(QLatin1Char('x') + ending).hasMatch();
            it = m_byEnding.insert(ending, special ? nullptr : &ofMime(askInFull(name)));
        }
        return *it ? **it : ofMime(askInFull(name));
    }

    qsizetype size() const { return m_byEnding.size(); }

private:
    static constexpr qsizetype kMaxEndings = 4096;

    // Where the ending that decides the type starts: the last dot, moved
    // further left while what it starts is the end of a longer plain ending.
    qsizetype endingStart(const QString& name, qsizetype firstDot) const
    {
        qsizetype start = name.lastIndexOf(QLatin1Char('.'));
        while (start > firstDot && m_innerEndings.contains(name.mid(start).toLower()))
            start = name.lastIndexOf(QLatin1Char('.'), start - 1);
        return start;
    }

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

    // ".pkg.tar.xz" makes ".tar.xz" and ".xz" inner endings.
    void noteInnerEndings(const QString& ending)
    {
        for (qsizetype dot = ending.indexOf(QLatin1Char('.'), 1); dot > 0;
             dot = ending.indexOf(QLatin1Char('.'), dot + 1))
            m_innerEndings.insert(ending.mid(dot));
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
        QStringList all, tail, reaching;
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
                if (f.size() < 3 || f[2].isEmpty())
                    continue;
                if (plainEnding.match(f[2]).hasMatch()) {
                    noteInnerEndings(f[2].mid(1).toLower());
                    continue;
                }
                const QString re = QRegularExpression::wildcardToRegularExpression(f[2]);
                all.append(re);
                if (!noteStart(f[2])) {
                    // A "*" glob whose fixed part holds a dot that is not its
                    // first character could reach in front of the tail.
                    const QString rest = f[2].mid(1);
                    if (!rest.startsWith(QLatin1Char('.')) && rest.contains(QLatin1Char('.')))
                        m_anyFirst = true;
                    // One with a second dot or a second "*" may reach in
                    // front of the last segment: tried on each name.
                    if (rest.indexOf(QLatin1Char('.'), 1) > 0 || rest.contains(QLatin1Char('*')))
                        reaching.append(re);
                    else
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
        m_reachingGlobs = QRegularExpression(
            reaching.isEmpty() ? QStringLiteral("(?!)") : reaching.join(QLatin1Char('|')), options);
        m_all.optimize();
        m_tailGlobs.optimize();
        m_reachingGlobs.optimize();
        return m_all.isValid() && m_tailGlobs.isValid() && m_reachingGlobs.isValid();
    }

    QMimeDatabase m_db;
    QRegularExpression m_all;           // every glob that is not a plain ending
    QRegularExpression m_tailGlobs;     // those of them that start with "*" and see one segment
    QRegularExpression m_reachingGlobs; // those that start with "*" and may see more
    QSet<QString> m_innerEndings;       // lower-cased ends of plain endings of two dots or more
    // By first character (ASCII): fixed beginnings of whole-name globs, and
    // whether a glob starting with a set ("[0-9]...") can start with it.
    std::array<QStringList, 128> m_prefixes;
    std::array<bool, 128> m_classFirst{};
    bool m_anyFirst = false; // some glob can start with anything
    bool m_usable = false;
    QHash<QString, const FileType*> m_byEnding;     // nullptr: ask each name in full
    std::unordered_map<QString, FileType> m_byMime; // nodes stay put: references live on
};

TypeCache& typeCache()
{
    static TypeCache cache;
    return cache;
}

} // namespace

const FileType& fileTypeForName(const QString& name)
{
    return typeCache().forName(name);
}

qsizetype fileTypeCacheSize()
{
    return typeCache().size();
}

QIcon fileTypeIcon(const FileType& type)
{
    return themedIcon(type.iconNames, DrawnIcon::File);
}

} // namespace platform
