#include "engine/mEncrypt.h"

namespace mEncrypt {

QString scramble_name(const QString& name)
{
    QString out = name;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            c = QChar(char16_t(155 - u));
        else if (u >= u'a' && u <= u'z')
            c = QChar(char16_t(219 - u));
        else if (u == u'.')
            c = QChar(u'-');
        else if (u == u'-')
            c = QChar(u'.');
    }
    return out;
}

QString make_hidden_name(const QString& plainName, short level)
{
    return scramble_name(plainName) + QLatin1String(".kz") + QString::number(level);
}

QString plain_name(const QString& hiddenName)
{
    return scramble_name(hiddenName.left(qMax<qsizetype>(0, hiddenName.size() - 4)));
}

bool is_hidden_name(const QString& nameOrPath)
{
    const QString tail = nameOrPath.right(4).toLower();
    return tail == QLatin1String(".kz1") || tail == QLatin1String(".kz2") ||
           tail == QLatin1String(".kz3");
}

short hidden_level(const QString& hiddenName)
{
    if (hiddenName.isEmpty())
        return 0;
    const QChar last = hiddenName.back();
    return last.isDigit() ? static_cast<short>(last.digitValue()) : 0;
}

} // namespace mEncrypt
