#include "report/page_links.h"

#include <QUrl>

namespace page_links {
namespace {

QString encoded(const QString& name)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

}  // namespace

Layout layoutFor(const QString& pageName)
{
    QString base = pageName;
    for (const QLatin1String suffix : {QLatin1String(".html"), QLatin1String(".htm")}) {
        if (base.endsWith(suffix, Qt::CaseInsensitive) && base.size() > suffix.size()) {
            base.chop(suffix.size());
            break;
        }
    }
    return {pageName, base + QStringLiteral("-files")};
}

QString assignmentFileName(std::size_t index)
{
    return QStringLiteral("a%1.html").arg(index + 1);
}

QString Layout::toAssignment(std::size_t index) const
{
    return encoded(folderName) + u'/' + assignmentFileName(index);
}

QString Layout::toPage() const
{
    return QStringLiteral("../") + encoded(pageName);
}

}  // namespace page_links
