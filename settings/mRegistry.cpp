#include "settings/mRegistry.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDir>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace settings {

namespace {

struct Section
{
    QString name;
    std::vector<std::pair<QString, QString>> values;
};

// Values are written with \\, \n, \r and \0 escaped so that any text, NULs
// included, survives a round trip through the line-based file.
QString escapeValue(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case 0:
            out += QLatin1String("\\0");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString unescapeValue(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[++i];
        switch (n.unicode()) {
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '0':
            out += QChar(0);
            break;
        default:
            out += n;
        }
    }
    return out;
}

} // namespace

struct SettingsDocument
{
    std::vector<Section> sections; // sections[0] is the top level ("")
    bool existed = false;
    bool readable = false;
    mode_t mode = 0600;
};

namespace {

using Document = SettingsDocument;

bool readDocument(const QString& path, Document& doc)
{
    doc.sections.clear();
    doc.sections.push_back(Section{QString(), {}});
    doc.readable = false;
    const QByteArray p = platform::encodePath(path);
    // Non-blocking, so that a named pipe in the file's place cannot hang the
    // program; anything but a regular file is unreadable.
    const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        doc.readable = errno == ENOENT; // a missing file is an empty store
        return doc.readable;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    doc.mode = st.st_mode & 07777;
    QByteArray data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        data.append(buf, n);
    }
    ::close(fd);
    doc.existed = true;
    doc.readable = true;

    Section* current = &doc.sections.front();
    const QString text = QString::fromUtf8(data);
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2).toString();
            current = nullptr;
            for (auto& s : doc.sections)
                if (s.name == name)
                    current = &s;
            if (!current) {
                doc.sections.push_back(Section{name, {}});
                current = &doc.sections.back();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue; // not a value line; dropped on the next write
        const QString name = line.left(eq).toString();
        QString value = unescapeValue(line.mid(eq + 1));
        bool replaced = false;
        for (auto& v : current->values)
            if (v.first == name) {
                v.second = value;
                replaced = true;
            }
        if (!replaced)
            current->values.emplace_back(name, std::move(value));
    }
    return true;
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n =
            ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Where a write must land: the file a symbolic link names (through any chain
// of links), so that the link itself stays.
QByteArray writeTarget(const QString& path)
{
    QByteArray p = platform::encodePath(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(p.constData(), link.data(), size_t(link.size()));
        if (n <= 0)
            return p;
        link.truncate(n);
        if (!link.startsWith('/')) {
            const qsizetype slash = p.lastIndexOf('/');
            link.prepend(slash >= 0 ? p.left(slash + 1) : QByteArray());
        }
        p = link;
    }
    return p;
}

bool writeDocument(const QString& path, const Document& doc)
{
    QByteArray out = "; HKEY_LOCAL_MACHINE\\";
    out += QByteArray(kProductKey);
    out += "\n";
    for (const auto& s : doc.sections) {
        if (!s.name.isEmpty())
            out += "\n[" + s.name.toUtf8() + "]\n";
        for (const auto& v : s.values)
            out += v.first.toUtf8() + '=' + escapeValue(v.second).toUtf8() + '\n';
    }

    const QByteArray target = writeTarget(path);
    const QString folder = platform::parentFolder(platform::decodePath(target));
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    // Write a sibling, flush it, then move it over the store in one step.
    QByteArray tmpl = target + ".XXXXXX";
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC); // created 0600
    if (fd < 0)
        return false;
    bool ok =
        writeAll(fd, out) && ::fchmod(fd, doc.existed ? doc.mode : 0600) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tmpl.constData(), target.constData()) == 0;
    if (!ok)
        ::unlink(tmpl.constData());
    return ok;
}

} // namespace

namespace {

QString valueIn(const Document& doc, const QString& section, const QString& name)
{
    for (const auto& s : doc.sections) {
        if (s.name != section)
            continue;
        for (const auto& v : s.values)
            if (v.first == name) {
                const qsizetype nul = v.second.indexOf(QChar(0));
                return nul < 0 ? v.second : v.second.left(nul);
            }
    }
    return QString();
}

void setIn(Document& doc, const SettingChange& c)
{
    Section* target = nullptr;
    for (auto& s : doc.sections)
        if (s.name == c.section)
            target = &s;
    if (c.remove) {
        if (target)
            std::erase_if(target->values, [&](const auto& v) { return v.first == c.name; });
        return;
    }
    if (!target) {
        doc.sections.push_back(Section{c.section, {}});
        target = &doc.sections.back();
    }
    for (auto& v : target->values)
        if (v.first == c.name) {
            v.second = c.text;
            return;
        }
    target->values.emplace_back(c.name, c.text);
}

bool storableSection(const QString& section)
{
    return !section.contains(QLatin1Char(']')) && !section.contains(QLatin1Char('\n')) &&
           !section.contains(QLatin1Char('\r'));
}

} // namespace

bool SettingsStore::storableName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('=')) &&
           !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')) &&
           !name.startsWith(QLatin1Char(';')) && !name.startsWith(QLatin1Char('#')) &&
           !name.startsWith(QLatin1Char('['));
}

SettingsStore SettingsStore::snapshot() const
{
    SettingsStore copy(m_path);
    copy.m_snapshot = std::make_shared<Document>();
    if (m_snapshot)
        *copy.m_snapshot = *m_snapshot;
    else if (!readDocument(m_path, *copy.m_snapshot))
        copy.m_snapshot->sections.assign(1, Section{QString(), {}});
    return copy;
}

QString SettingsStore::get_setting(const QString& section, const QString& name) const
{
    if (m_snapshot)
        return valueIn(*m_snapshot, section, name);
    Document doc;
    if (!readDocument(m_path, doc))
        return QString();
    return valueIn(doc, section, name);
}

bool SettingsStore::apply(const std::vector<SettingChange>& changes) const
{
    for (const SettingChange& c : changes)
        if (!storableSection(c.section) || (!c.remove && !storableName(c.name)))
            return false;
    Document doc;
    if (!readDocument(m_path, doc))
        return false; // never overwrite a store that could not be read
    for (const SettingChange& c : changes)
        setIn(doc, c);
    if (!writeDocument(m_path, doc))
        return false;
    if (m_snapshot)
        *m_snapshot = doc;
    return true;
}

bool SettingsStore::save_setting(const QString& section, const QString& name,
                                 const QString& text) const
{
    return apply({SettingChange{section, name, text}});
}

bool SettingsStore::delete_setting(const QString& section, const QString& name) const
{
    Document doc;
    if (!readDocument(m_path, doc))
        return false;
    bool present = false;
    for (const auto& s : doc.sections)
        if (s.name == section)
            for (const auto& v : s.values)
                present |= v.first == name;
    if (!present)
        return true;
    return apply({SettingChange{section, name, QString(), true}});
}

} // namespace settings
