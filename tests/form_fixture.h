#pragma once

#include "app/main_form.h"
#include "scripted_platform.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// A window under test: its home folder is a temporary one, so the default
// data folder and the record files live there, and its platform is scripted.
class FormFixture {
public:
    FormFixture();
    ~FormFixture();

    // Builds the window and runs its load step with these dialog answers.
    MainForm& start(const QStringList& answers = {QStringLiteral("A. Student"), QString(), QStringLiteral("11")});
    // The same, on an instructor's bank in place of the built-in one.
    MainForm& startWithBank(bank_file::Bank bank, const QStringList& answers, bank_pictures::Pictures pictures = {});

    // Replaces the bank by these items from slot 1 on, back at the start.
    void useBank(const QStringList& items, const QString& nextAssignment = QStringLiteral("012"));

    QString home() const { return home_.path(); }
    QString defaultFolder() const;
    static QByteArray bytesOf(const QString& path);

    QString questionText() const;
    QString answerText() const;
    void typeAnswer(const QString& text);

    ScriptedPlatform platform;
    std::unique_ptr<MainForm> form;

private:
    MainForm& launch(const QStringList& answers, std::optional<bank_file::Bank> bank, bank_pictures::Pictures pictures);

    QTemporaryDir home_;
    QByteArray savedHome_;
};
