#include "platform/windows_names.h"

#include <QStringList>

namespace windows_names {

bool isDeviceName(QStringView name)
{
    QStringView base = name.left(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
    while (base.endsWith(u' '))
        base.chop(1);
    static const QStringList fixed{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                   QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    for (const QString& device : fixed) {
        if (base.compare(device, Qt::CaseInsensitive) == 0)
            return true;
    }
    return base.size() == 4 &&
           (base.startsWith(u"COM", Qt::CaseInsensitive) || base.startsWith(u"LPT", Qt::CaseInsensitive)) &&
           base.at(3) >= u'1' && base.at(3) <= u'9';
}

bool hasDeviceName(QStringView path)
{
    if (path.startsWith(u"\\\\.\\") || path.startsWith(u"//./"))
        return true;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path.at(i) == u'\\' || path.at(i) == u'/') {
            if (isDeviceName(path.mid(start, i - start)))
                return true;
            start = i + 1;
        }
    }
    return false;
}

bool isPlainName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(u':'))
        return false;
    if (name.endsWith(u'.') || name.endsWith(u' '))
        return false;
    return !isDeviceName(name);
}

}  // namespace windows_names
