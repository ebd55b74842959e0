#pragma once

#include "platform/platform.h"
#include "platform/random_sequence.h"

#include <QDir>
#include <QHash>
#include <QStringList>

// The platform layer for the fuzz target: files live in memory, every dialog
// is cancelled after the start-up answers, the clock stands still.
class MemoryPlatform : public Platform {
public:
    QString inputBox(const QString&) override { return answers.isEmpty() ? QString() : answers.takeFirst(); }
    void errorBox(const QString& text) override { errors.append(text); }
    void infoBox(const QString& text) override { errors.append(text); }
    QString defaultFolder() override { return QDir::homePath() + QStringLiteral("/korvelan"); }

    void appendRecord(const std::vector<RecordPart>& parts) override
    {
        for (const RecordPart& part : parts)
            files[part.path] += part.bytes;
    }
    QByteArray readFile(const QString& path) override { return files.value(path); }
    void makeFolder(const QString&) override {}

    QString dateText() override { return QStringLiteral("12-07-2026"); }
    QString timeText() override { return QStringLiteral("14:02:00"); }
    double secondsSinceMidnight() override { return 50520; }

    void reseed(double seed) override { random.reseed(seed); }
    float nextRandom() override { return random.next(); }

    void beep() override {}
    void setClipboardImage(const QImage& image) override { clipboard = image; }
    QImage clipboardImage() override { return clipboard; }

    void quit(int status) override { exitStatus = status; }

    QStringList answers;
    QStringList errors;
    QHash<QString, QByteArray> files;
    RandomSequence random;
    QImage clipboard;
    int exitStatus = -1;
};
