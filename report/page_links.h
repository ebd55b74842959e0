#pragma once

#include <QString>

// Where the pages of one report stand: the page itself, and beside it a
// folder with one page per assignment, so that the first page opens at once
// however large the class. Links between them are relative, so the page and
// its folder can be moved, zipped and mailed together.
namespace page_links {

struct Layout {
    QString pageName;    // the page's file name, "class.html"
    QString folderName;  // the folder beside it, "class-files"

    // From the page to an assignment's page, and back.
    QString toAssignment(std::size_t index) const;
    QString toPage() const;
};

// "class.html" gives "class-files"; a name without ".html" gets "-files" too.
Layout layoutFor(const QString& pageName);

// An assignment page's file name inside the folder.
QString assignmentFileName(std::size_t index);

}  // namespace page_links
