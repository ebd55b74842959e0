#pragma once

#include <QStringList>

// The messages that the toolkit's picture decoders print on standard error
// (libjpeg's, the SVG reader's), kept instead while a picture is decoded, so
// that they become part of what the check says about that picture.
namespace decoder_messages {

// Keeps the messages of this thread from its construction to its end.
class Capture {
public:
    Capture();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    const QStringList& messages() const { return messages_; }

private:
    QStringList messages_;
};

}  // namespace decoder_messages
