#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The rules by which the bank checker tells a likely slip from what the
// writer meant.
namespace check_rules {

// An item's text up to its first line break: what a one-line message may
// quote of it.
QStringView firstLine(QStringView text);

// A warning for an item that begins like a marker but is none: a capital
// "`Q" or "`A", a blank after the back-quote, a quote in place of the
// back-quote, or a marker after blanks, a no-break space, an invisible
// character or an empty line. Empty when the item begins otherwise.
QString markerSlip(const QString& item);

// The number of an item that reads like an assignment header without the
// point after its number ("201 Projectiles", "201:", "201-"); empty for any
// other item, also for an item that begins with a quantity ("012 g of ice").
QString unpointedHeaderNumber(const QString& item);

// An item that reads like an assignment header, with the point after its
// number, but does not begin with three digits and that point.
struct HeaderLookAlike {
    enum Kind { FewerDigits, WordBefore, SpaceBefore };
    Kind kind = FewerDigits;
    QString number;  // the three digits it stands for: "022"
    QString written;  // how it begins, up to the point: "22.", "Assignment 202.", "202."
    QString space;  // SpaceBefore: what comes before the number, "a blank", "an empty line"
};
// "22. Springs", "Assignment 202. Springs", " 202. Springs"; nothing for
// "2.5 kg" or "Problem 3. a ball" (a header's text names the assignment).
std::optional<HeaderLookAlike> headerLookAlike(const QString& item);

// What a line of an item's text is, as its writer may have meant it. Blank
// and Comment come first: a run of comments may have blank lines between.
enum class LineKind {
    Blank,
    Comment,  // its first character that is not white space is "#"
    Text,
    Marker,  // it begins with "`q", "`a" or a routine marker
    Header,  // it begins like an assignment header: "202.  `query 2"
};
LineKind lineKind(QStringView line);

// The marker or header number that a Marker or Header line begins with:
// "`a", "`routine", "202.".
QString lineOpening(QStringView line);

// A routine name that names a picture file: it ends in .png, .jpg, .jpeg or
// .svg.
bool isPictureName(const QString& name);

// A routine name that names a file of another kind, by the ending after its
// last point ("gif" for "graph.gif"); empty for any other name.
QString otherFileEnding(const QString& name);

// A picture's name that names a file in the bank file's own folder: no
// folder, no "..".
bool isBesideTheBank(const QString& name);

}  // namespace check_rules
