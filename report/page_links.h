#pragma once

#include <QString>

// Where the pages of one report stand: the first page, and beside it a
// folder with the rest (the students, each assignment, each item, what the
// students asked, the problems), so that the first page opens at once
// however large the class. Links between them are relative, so the page and
// its folder can be moved, zipped and mailed together.
namespace page_links {

struct Layout {
    QString pageName;    // the page's file name, "class.html"
    QString folderName;  // the folder beside it, "class-files"

    // From the first page to a page in the folder, and back.
    QString fromPage(const QString& fileName) const;
    QString toAssignment(std::size_t index) const { return fromPage(QStringLiteral("a%1.html").arg(index + 1)); }
    QString toPage() const;
};

// "class.html" gives "class-files"; a name without ".html" gets "-files" too.
Layout layoutFor(const QString& pageName);

// The pages' file names inside the folder.
QString assignmentFileName(std::size_t assignment);
QString itemFileName(std::size_t assignment, std::size_t item);
QString askedFileName(std::size_t assignment);
QString studentsFileName();
QString problemsFileName();

// Whether a file in the folder is one of a report's pages.
bool isPageName(const QString& fileName);

}  // namespace page_links
