#pragma once

#include <QString>

#include <exception>

// Every failure that the program reports to the student, as plain sentences
// that say what went wrong and where. The single guard around start-up and
// around each event handler shows the text.
class DrillError : public std::exception {
public:
    explicit DrillError(QString text) : text_(std::move(text)) {}

    const QString& text() const { return text_; }
    const char* what() const noexcept override { return "DrillError"; }

private:
    QString text_;
};

// Thrown by the program's one end call so that nothing after it runs; the
// guard catches it and leaves the event loop with the status it carries.
struct ProgramEnd {
    int status;
};
