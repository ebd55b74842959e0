#pragma once

#include <QString>

class QPlainTextEdit;

// The text boxes speak CR LF: text read back has CR LF at each line break,
// and CR LF in a text set into a box is one line break.
namespace text_box {

QString text(const QPlainTextEdit* box);
void setText(QPlainTextEdit* box, const QString& text);

}  // namespace text_box
