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
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(plain);
}

}  // namespace text_box
