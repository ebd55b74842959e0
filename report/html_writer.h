#pragma once

#include <QIODevice>
#include <QLatin1String>
#include <QString>

#include <initializer_list>
#include <utility>
#include <vector>

// HTML that escapes every text and attribute by construction. Every element
// gets content, even if empty, so none is written as "<x/>", which HTML
// would leave open; only void elements and SVG shapes close themselves. The
// markup gathers in memory and goes to the device in large pieces.
//
// It writes what an XML writer would, character for character, but copies
// a text that needs no escape in one piece: a large class's report is
// mostly such texts, and escaping them a character at a time took a good
// part of its time.
class HtmlWriter {
public:
    using Attributes = std::initializer_list<std::pair<const char*, QString>>;

    explicit HtmlWriter(QIODevice& out) : out_(out) {}

    void doctype();
    // Tags are the program's own string literals.
    void open(const char* tag, Attributes attributes = {});
    void close();
    void text(const QString& text);
    void element(const char* tag, const QString& content, Attributes attributes = {});
    // A void element or an SVG shape.
    void shape(const char* tag, Attributes attributes);
    // Column widths, from the style sheet, that every table of a kind shares.
    void columns(std::initializer_list<const char*> classes);
    void columns(const std::vector<const char*>& classes);
    // Text of the program's own, such as a style sheet, written as it is.
    void verbatim(const QString& text);

    // Hands what has gathered to the device once it is `atLeast` long;
    // false once a write failed.
    bool flush(qsizetype atLeast = 0);

    // Text as the page may hold it: CR LF and lone CRs become line breaks,
    // and control characters, which HTML does not allow, their visible
    // pictures; the C1 controls, which have none, the replacement character.
    static QString displayable(const QString& text);

private:
    enum class Escape { Text, Attribute };
    // Ends a start tag still open: with ">", or "/>" for a void element.
    void endStartTag();
    void startTag(const char* tag);
    void attribute(const char* name, const QString& value);
    // Appends the text with "<", ">", "&" and '"' as references (and, in an
    // attribute, tab, LF and CR too); leaves out the other controls and the
    // noncharacters U+FFFE and U+FFFF, which XML does not allow.
    void escaped(const QString& text, Escape escape);

    QIODevice& out_;
    QString buffer_;
    std::vector<QLatin1String> openTags_;
    bool inStartTag_ = false;
    bool inVoidTag_ = false;
    bool ok_ = true;
};
