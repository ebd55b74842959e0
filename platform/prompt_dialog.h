#pragma once

#include <QDialog>

class QLineEdit;

// The program's input dialog: the whole prompt wrapped to a readable width,
// an empty one-line field, OK and Cancel. Enter is OK, Escape is Cancel.
class PromptDialog : public QDialog {
    Q_OBJECT
public:
    explicit PromptDialog(const QString& prompt, QWidget* parent = nullptr);

    // Shows the dialog modally: the typed text, or "" on Cancel.
    static QString ask(const QString& prompt);

    QString answer() const;

private:
    QLineEdit* field_;
};
