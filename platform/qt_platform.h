#pragma once

#include "platform/platform.h"
#include "platform/random_sequence.h"

// The platform layer on the real desktop.
class QtPlatform : public Platform {
public:
    QString inputBox(const QString& prompt) override;
    void errorBox(const QString& text) override;
    void infoBox(const QString& text) override;
    QString defaultFolder() override;

    void appendRecord(const std::vector<RecordPart>& parts) override;
    QByteArray readFile(const QString& path) override;
    void makeFolder(const QString& path) override;

    QString dateText() override;
    QString timeText() override;
    double secondsSinceMidnight() override;

    void reseed(double seed) override;
    float nextRandom() override;

    void beep() override;
    void setClipboardImage(const QImage& image) override;
    QImage clipboardImage() override;

    void quit(int status) override;

private:
    RandomSequence random_;
};
