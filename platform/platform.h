#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

// One file's share of a record: the bytes that the record appends to it.
struct RecordPart {
    QString path;
    QByteArray bytes;
};

// Every effect of the program on the world goes through this interface, so
// that tests can script the dialogs, fix the clock and seed the random numbers.
class Platform {
public:
    virtual ~Platform() = default;

    // Modal input dialog: the typed text unchanged, "" on Cancel.
    virtual QString inputBox(const QString& prompt) = 0;
    // Modal message box with one OK button.
    virtual void errorBox(const QString& text) = 0;
    // The same for a text that reports no error.
    virtual void infoBox(const QString& text) = 0;
    // The folder of the record files unless the student types another.
    virtual QString defaultFolder() = 0;

    // Appends a record to every one of its files or to none: each file gets
    // its bytes in one write, synced to disk; missing files are created. On
    // failure DrillError names the file and the system's reason, and no part
    // of the record stays: every file holds what it held before, or is cut
    // back to it before the next record is written. Where the record can be
    // neither finished nor marked to be taken back, it stands, to be
    // completed before the next record is written, and a message box says
    // so. A record that an earlier run left unfinished is completed first;
    // any of its files that has changed since is left alone and named in a
    // message box.
    virtual void appendRecord(const std::vector<RecordPart>& parts) = 0;
    // The whole file; a file that does not exist reads as empty.
    virtual QByteArray readFile(const QString& path) = 0;
    // Creates the folder and its parents; every failure is ignored.
    virtual void makeFolder(const QString& path) = 0;

    virtual QString dateText() = 0;  // mm-dd-yyyy
    virtual QString timeText() = 0;  // hh:mm:ss, 24-hour
    virtual double secondsSinceMidnight() = 0;

    virtual void reseed(double seed) = 0;
    virtual float nextRandom() = 0;  // uniform in [0, 1)

    virtual void beep() = 0;
    virtual void setClipboardImage(const QImage& image) = 0;
    virtual QImage clipboardImage() = 0;

    // Leaves the event loop with this status. Called once, by the guard that
    // caught the ProgramEnd thrown by endProgram().
    virtual void quit(int status) = 0;

    [[noreturn]] static void endProgram(int status);
};
