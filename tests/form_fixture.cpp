#include "form_fixture.h"

#include "platform/text_box.h"

#include <QDir>
#include <QFile>

FormFixture::FormFixture() : savedHome_(qgetenv("HOME"))
{
    qputenv("HOME", QFile::encodeName(home_.path()));
}

FormFixture::~FormFixture()
{
    form.reset();
    qputenv("HOME", savedHome_);
}

MainForm& FormFixture::start(const QStringList& answers)
{
    return launch(answers, std::nullopt, {});
}

MainForm& FormFixture::startWithBank(bank_file::Bank bank, const QStringList& answers, bank_pictures::Pictures pictures)
{
    return launch(answers, std::move(bank), std::move(pictures));
}

MainForm& FormFixture::launch(const QStringList& answers, std::optional<bank_file::Bank> bank,
                              bank_pictures::Pictures pictures)
{
    for (const QString& answer : answers)
        platform.answers.push_back(answer);
    form = std::make_unique<MainForm>(platform);
    if (bank)
        form->useBank(std::move(*bank), std::move(pictures));
    form->load();
    return *form;
}

void FormFixture::useBank(const QStringList& items, const QString& nextAssignment)
{
    form->QuestionBank.clear();
    for (int i = 0; i < items.size(); ++i)
        form->QuestionBank.store(i + 1, items[i]);
    form->lineIndex = 0;
    form->nextAssignmentNumber = nextAssignment;
}

QString FormFixture::defaultFolder() const
{
    return home_.path() + QStringLiteral("/korvelan");
}

QByteArray FormFixture::bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString FormFixture::questionText() const
{
    return text_box::text(form->ui.txt_question);
}

QString FormFixture::answerText() const
{
    return text_box::text(form->ui.txt_answer);
}

void FormFixture::typeAnswer(const QString& text)
{
    text_box::setText(form->ui.txt_answer, text);
}
