#pragma once

#include <QIODevice>
#include <QString>
#include <QXmlStreamWriter>

#include <initializer_list>
#include <utility>
#include <vector>

// HTML through QXmlStreamWriter, which escapes every text and attribute by
// construction. Every element gets content, even if empty, so none is
// written as "<x/>", which HTML would leave open; only void elements and SVG
// shapes close themselves. The markup gathers in memory and goes to the
// device in large pieces.
class HtmlWriter {
public:
    using Attributes = std::initializer_list<std::pair<const char*, QString>>;

    explicit HtmlWriter(QIODevice& out) : out_(out), xml_(&buffer_) {}

    void doctype() { xml_.writeDTD(QStringLiteral("<!DOCTYPE html>")); }
    void open(const char* tag, Attributes attributes = {});
    void close() { xml_.writeEndElement(); }
    void text(const QString& text) { xml_.writeCharacters(displayable(text)); }
    void element(const char* tag, const QString& content, Attributes attributes = {});
    // A void element or an SVG shape.
    void shape(const char* tag, Attributes attributes);
    // Column widths, from the style sheet, that every table of a kind shares.
    void columns(std::initializer_list<const char*> classes);
    void columns(const std::vector<const char*>& classes);
    // Text of the program's own, such as a style sheet, written as it is.
    void verbatim(const QString& text) { xml_.writeCharacters(text); }

    // Hands what has gathered to the device once it is `atLeast` long;
    // false once a write failed.
    bool flush(qsizetype atLeast = 0);

    // Text as the page may hold it: CR LF and lone CRs become line breaks,
    // and control characters, which HTML does not allow, their visible
    // pictures; the C1 controls, which have none, the replacement character.
    static QString displayable(const QString& text);

private:
    QIODevice& out_;
    QString buffer_;
    QXmlStreamWriter xml_;
    bool ok_ = true;
};
