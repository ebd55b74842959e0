#pragma once

#include <QString>

#include <exception>

// Every failure that the program reports to the student. The single guard
// around start-up and around each event handler shows it and ends the program.
class DrillError : public std::exception {
public:
    enum Number {
        BankIndexOutOfRange = 9,
        NoSuchAssignment = 10,
        FileNotWritable = 75,
        FileNotReadable = 76,
        Overflow = 6,
    };

    DrillError(Number number, QString text) : number_(number), text_(std::move(text)) {}

    Number number() const { return number_; }
    const QString& text() const { return text_; }
    QString message() const { return QStringLiteral("Error %1: %2").arg(int(number_)).arg(text_); }
    const char* what() const noexcept override { return "DrillError"; }

private:
    Number number_;
    QString text_;
};

// Thrown by the program's one end call so that nothing after it runs; the
// guard catches it and leaves the event loop with the status it carries.
struct ProgramEnd {
    int status;
};
