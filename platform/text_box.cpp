#include "platform/text_box.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace text_box {

QString text(const QPlainTextEdit* box)
{
    // The raw text keeps what the student typed (no-break spaces included);
    // only the document's own block and line separators become CR LF.
    QString raw = box->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    raw.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return raw;
}

void setText(QPlainTextEdit* box, const QString& text)
{
    // One pass: a long text would otherwise be moved once per batch of line ends.
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        plain.append(text[i]);
    }
    box->setPlainText(plain);
}

}  // namespace text_box
