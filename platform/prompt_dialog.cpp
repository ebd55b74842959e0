#include "platform/prompt_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

PromptDialog::PromptDialog(const QString& prompt, QWidget* parent)
    : QDialog(parent), field_(new QLineEdit(this))
{
    setWindowTitle(QCoreApplication::applicationName());

    auto* label = new QLabel(prompt, this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setMinimumWidth(360);
    label->setBuddy(field_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(field_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    field_->setFocus();
}

QString PromptDialog::answer() const
{
    return field_->text();
}

QString PromptDialog::ask(const QString& prompt)
{
    PromptDialog dialog(prompt);
    return dialog.exec() == QDialog::Accepted ? dialog.answer() : QString();
}
