#include "report/html_writer.h"

#include <algorithm>

void HtmlWriter::endStartTag()
{
    if (!inStartTag_)
        return;
    if (inVoidTag_) {
        buffer_ += QLatin1String("/>");
        openTags_.pop_back();
    } else {
        buffer_ += u'>';
    }
    inStartTag_ = inVoidTag_ = false;
}

void HtmlWriter::startTag(const char* tag)
{
    endStartTag();
    openTags_.emplace_back(tag);
    buffer_ += u'<';
    buffer_ += openTags_.back();
    inStartTag_ = true;
}

void HtmlWriter::attribute(const char* name, const QString& value)
{
    buffer_ += u' ';
    buffer_ += QLatin1String(name);
    buffer_ += QLatin1String("=\"");
    escaped(value, Escape::Attribute);
    buffer_ += u'"';
}

void HtmlWriter::escaped(const QString& text, Escape escape)
{
    const bool attribute = escape == Escape::Attribute;
    const auto plain = [attribute](char16_t c) {
        if (c < 0x20)
            return !attribute && (c == u'\t' || c == u'\n' || c == u'\r');
        return c != u'<' && c != u'>' && c != u'&' && c != u'"' && c < 0xfffe;
    };
    const char16_t* const begin = QStringView(text).utf16();
    const char16_t* const end = begin + text.size();
    const char16_t* run = begin;
    for (const char16_t* at = begin; at != end; ++at) {
        const char16_t c = *at;
        if (plain(c))
            continue;
        buffer_.append(QStringView(run, at));
        run = at + 1;
        switch (c) {
        case u'<':
            buffer_ += QLatin1String("&lt;");
            break;
        case u'>':
            buffer_ += QLatin1String("&gt;");
            break;
        case u'&':
            buffer_ += QLatin1String("&amp;");
            break;
        case u'"':
            buffer_ += QLatin1String("&quot;");
            break;
        case u'\t':
            buffer_ += QLatin1String("&#9;");
            break;
        case u'\n':
            buffer_ += QLatin1String("&#10;");
            break;
        case u'\r':
            buffer_ += QLatin1String("&#13;");
            break;
        default:
            break;  // left out
        }
    }
    buffer_.append(QStringView(run, end));
}

void HtmlWriter::doctype()
{
    endStartTag();
    buffer_ += QLatin1String("<!DOCTYPE html>");
}

void HtmlWriter::open(const char* tag, Attributes attributes)
{
    startTag(tag);
    for (const auto& [name, value] : attributes)
        attribute(name, displayable(value));
    endStartTag();
}

void HtmlWriter::close()
{
    if (openTags_.empty())
        return;
    endStartTag();
    if (openTags_.empty())
        return;
    buffer_ += QLatin1String("</");
    buffer_ += openTags_.back();
    buffer_ += u'>';
    openTags_.pop_back();
}

void HtmlWriter::text(const QString& text)
{
    endStartTag();
    escaped(displayable(text), Escape::Text);
}

void HtmlWriter::verbatim(const QString& text)
{
    endStartTag();
    escaped(text, Escape::Text);
}

void HtmlWriter::element(const char* tag, const QString& content, Attributes attributes)
{
    open(tag, attributes);
    text(content);
    close();
}

void HtmlWriter::shape(const char* tag, Attributes attributes)
{
    startTag(tag);
    inVoidTag_ = true;
    for (const auto& [name, value] : attributes)
        attribute(name, value);
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
