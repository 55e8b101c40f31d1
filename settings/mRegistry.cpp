#include "settings/mRegistry.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDir>

#include <cerrno>
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

struct Document
{
    std::vector<Section> sections; // sections[0] is the top level ("")
    bool existed = false;
    mode_t mode = 0600;
};

bool readDocument(const QString& path, Document& doc)
{
    doc.sections.clear();
    doc.sections.push_back(Section{QString(), {}});
    const QByteArray p = platform::encodePath(path);
    const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT; // a missing file is an empty store
    struct stat st;
    if (::fstat(fd, &st) == 0)
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

    const QString folder = platform::parentFolder(path);
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    // Write a sibling, flush it, then move it over the store in one step.
    QByteArray tmpl = platform::encodePath(path) + ".XXXXXX";
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC); // created 0600
    if (fd < 0)
        return false;
    bool ok =
        writeAll(fd, out) && ::fchmod(fd, doc.existed ? doc.mode : 0600) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tmpl.constData(), platform::encodePath(path).constData()) == 0;
    if (!ok)
        ::unlink(tmpl.constData());
    return ok;
}

} // namespace

QString SettingsStore::get_setting(const QString& section, const QString& name) const
{
    Document doc;
    if (!readDocument(m_path, doc))
        return QString();
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

bool SettingsStore::save_setting(const QString& section, const QString& name,
                                 const QString& text) const
{
    if (name.isEmpty() || name.contains(QLatin1Char('=')) || name.contains(QLatin1Char('\n')) ||
        section.contains(QLatin1Char(']')) || section.contains(QLatin1Char('\n')))
        return false;
    Document doc;
    if (!readDocument(m_path, doc))
        return false; // never overwrite a store that could not be read
    Section* target = nullptr;
    for (auto& s : doc.sections)
        if (s.name == section)
            target = &s;
    if (!target) {
        doc.sections.push_back(Section{section, {}});
        target = &doc.sections.back();
    }
    bool found = false;
    for (auto& v : target->values)
        if (v.first == name) {
            v.second = text;
            found = true;
        }
    if (!found)
        target->values.emplace_back(name, text);
    return writeDocument(m_path, doc);
}

bool SettingsStore::delete_setting(const QString& section, const QString& name) const
{
    Document doc;
    if (!readDocument(m_path, doc))
        return false;
    bool changed = false;
    for (auto& s : doc.sections) {
        if (s.name != section)
            continue;
        for (auto it = s.values.begin(); it != s.values.end();) {
            if (it->first == name) {
                it = s.values.erase(it);
                changed = true;
            } else {
                ++it;
            }
        }
    }
    return !changed || writeDocument(m_path, doc);
}

} // namespace settings
