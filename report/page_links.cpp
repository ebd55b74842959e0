#include "report/page_links.h"

#include <QRegularExpression>
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

QString assignmentFileName(std::size_t assignment)
{
    return QStringLiteral("a%1.html").arg(assignment + 1);
}

QString itemFileName(std::size_t assignment, std::size_t item)
{
    return QStringLiteral("a%1-i%2.html").arg(assignment + 1).arg(item + 1);
}

QString askedFileName(std::size_t assignment)
{
    return QStringLiteral("a%1-asked.html").arg(assignment + 1);
}

QString studentsFileName()
{
    return QStringLiteral("students.html");
}

QString problemsFileName()
{
    return QStringLiteral("problems.html");
}

bool isPageName(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^(a[0-9]+(-i[0-9]+|-asked)?|students|problems)\\.html$"));
    return pattern.match(fileName).hasMatch();
}

QString Layout::fromPage(const QString& fileName) const
{
    return encoded(folderName) + u'/' + fileName;
}

QString Layout::toPage() const
{
    return QStringLiteral("../") + encoded(pageName);
}

}  // namespace page_links
