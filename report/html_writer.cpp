#include "report/html_writer.h"

#include <algorithm>

void HtmlWriter::open(const char* tag, Attributes attributes)
{
    xml_.writeStartElement(QLatin1String(tag));
    for (const auto& [name, value] : attributes)
        xml_.writeAttribute(QLatin1String(name), displayable(value));
    xml_.writeCharacters(QString());
}

void HtmlWriter::element(const char* tag, const QString& content, Attributes attributes)
{
    open(tag, attributes);
    text(content);
    close();
}

void HtmlWriter::shape(const char* tag, Attributes attributes)
{
    xml_.writeEmptyElement(QLatin1String(tag));
    for (const auto& [name, value] : attributes)
        xml_.writeAttribute(QLatin1String(name), value);
}

void HtmlWriter::columns(std::initializer_list<const char*> classes)
{
    columns(std::vector<const char*>(classes));
}

void HtmlWriter::columns(const std::vector<const char*>& classes)
{
    open("colgroup");
    for (const char* name : classes)
        shape("col", {{"class", QLatin1String(name)}});
    close();
}

bool HtmlWriter::flush(qsizetype atLeast)
{
    if (buffer_.size() < atLeast)
        return true;
    const QByteArray bytes = buffer_.toUtf8();
    buffer_.clear();
    ok_ = ok_ && out_.write(bytes) == bytes.size();
    return ok_;
}

QString HtmlWriter::displayable(const QString& text)
{
    const auto needsChange = [](ushort u) {
        return (u < 0x20 && u != u'\n' && u != u'\t') || (u >= 0x7f && u <= 0x9f) || u >= 0xfffe;
    };
    const ushort* const begin = text.utf16();
    if (std::none_of(begin, begin + text.size(), needsChange))
        return text;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            shown += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == 0x7f) {
            shown += QChar(0x2421);
        } else if (c < 0x20 && c != u'\n' && c != u'\t') {
            shown += QChar(char16_t(0x2400 + c));
        } else if ((c >= 0x80 && c <= 0x9f) || c == 0xfffe || c == 0xffff) {
            shown += QChar(0xfffd);
        } else {
            shown += QChar(c);
        }
    }
    return shown;
}
