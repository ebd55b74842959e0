#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// Reads the master, send and notes files back into the records that
// record_lines writes. Line numbers count from 1, with CR LF, a lone CR and a
// lone LF each ending one line, as an editor shows them.
namespace record_reader {

struct Opening {
    qsizetype line = 0;  // the code line's
    QByteArray codeLine; // its bytes as they stand in the file
    QString assignmentNumber;
    QString headerLine;
    QString courseName;
    QString date;
    bool cutShort = false;  // the file ends inside it
};

enum class Kind { Response, Notes };
enum class RatingKind { None, Confidence, SelfCritique };

struct Entry {
    Kind kind = Kind::Response;
    qsizetype line = 0;        // its first opening rule's
    QString assignmentNumber;  // of the opening before it, if any
    qsizetype opening = -1;    // that opening, among the file's; -1 for none
    QString date;              // a notes record's own, else that of the record before it
    QString time;
    QString questionNumber;    // as the master file writes it; empty elsewhere
    QString item;
    QString text;              // the response, or the note without its label
    RatingKind ratingKind = RatingKind::None;
    QString rating;            // what follows the rating line's label
    bool cutShort = false;     // its closing rule never came
};

// Lines that belong to no record, or the part of a record that cannot be
// made out. `excerpt` is the start of their first non-blank line.
struct Stretch {
    qsizetype firstLine = 0;
    qsizetype lastLine = 0;
    QString excerpt;
};

struct Records {
    std::vector<Opening> openings;
    std::vector<Entry> entries;
    std::vector<Stretch> unreadable;
    qsizetype lineCount = 0;
};

// How long a stretch's excerpt may grow, in characters.
inline constexpr qsizetype excerptLength = 160;

// Every record of a file's bytes, in order. Windows-1252 unless a byte-order
// mark says UTF-8 or UTF-16 (an editor re-saved the file); blank lines
// between records are skipped, nothing else is.
Records read(QByteArrayView bytes);

}  // namespace record_reader
