#include "platform/Paths.h"

namespace platform {

QString withoutTrailingSeparator(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    QString n = name;
    while (n.startsWith(QLatin1Char('/')))
        n.remove(0, 1);
    if (folder.endsWith(QLatin1Char('/')))
        return folder + n;
    return folder + QLatin1Char('/') + n;
}

QString parentFolder(const QString& path)
{
    const QString p = withoutTrailingSeparator(path);
    const int slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return p.left(slash);
}

QString bareName(const QString& path)
{
    const QString p = withoutTrailingSeparator(path);
    if (p == QLatin1String("/"))
        return QString();
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

QString extensionOf(const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return QString();
    return name.mid(dot + 1);
}

} // namespace platform
