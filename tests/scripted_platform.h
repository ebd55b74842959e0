#pragma once

#include "platform/platform.h"
#include "platform/random_sequence.h"

#include <QDateTime>
#include <QStringList>

#include <deque>
#include <optional>

// The platform layer as the tests script it: queued dialog answers with each
// prompt recorded, a fixed clock, seeded random numbers (or queued values),
// counted beeps, an in-memory clipboard, and an observable program end and
// error box. Files are real files, in a temporary folder of the test.
class ScriptedPlatform : public Platform {
public:
    QString inputBox(const QString& prompt) override;
    void errorBox(const QString& text) override;
    void infoBox(const QString& text) override { infoTexts.append(text); }
    // The korvelan folder in $HOME, which each test points at a folder of its own.
    QString defaultFolder() override;

    void appendRecord(const std::vector<RecordPart>& parts) override;
    QByteArray readFile(const QString& path) override;
    void makeFolder(const QString& path) override;

    QString dateText() override;
    QString timeText() override;
    double secondsSinceMidnight() override;

    void reseed(double seed) override;
    float nextRandom() override;

    void beep() override { ++beeps; }
    void setClipboardImage(const QImage& image) override { clipboard = image; }
    QImage clipboardImage() override { return clipboard; }

    void quit(int status) override { exitStatus = status; }

    // Answers given in turn; once they run out, every dialog is cancelled.
    std::deque<QString> answers;
    QStringList prompts;
    QStringList errors;
    QStringList infoTexts;
    QStringList foldersMade;

    QDateTime now{QDate(2026, 12, 7), QTime(14, 2, 0)};
    // Seconds that the clock moves on at every reading of the date or time,
    // and while each input dialog is open.
    int tickSeconds = 0;
    int dialogSeconds = 0;

    std::deque<float> randomValues;  // used first, then the seeded sequence
    RandomSequence random{12345};
    std::optional<double> seededWith;

    int beeps = 0;
    QImage clipboard;
    std::optional<int> exitStatus;
};
