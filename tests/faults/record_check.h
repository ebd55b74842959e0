#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// What the writer children type, the exact bytes each record takes in each
// record file, and a strict reader that splits a record file into whole
// records. The layouts are written out here by hand, independent of
// records/, so that a torn, interleaved or reordered record shows.
namespace record_check {

enum class FileKind { Master, Send, Notes };

// The text that writer `child` types for its record `record`: a first line
// that names both, then CR LF lines of filler whose length varies.
QString typedText(int child, int record);

// The bytes of one record as it reaches a file, for a run on 12-07-2026 whose
// clock stands at 14:02:00 and that has shown no item yet.
QByteArray responseRecord(FileKind file, const QByteArray& typed);
QByteArray notesRecord(FileKind file, const QByteArray& typed);
// The opening record of assignment 011 after its random code line.
QByteArray openingRecordTail();

struct Tally {
    // Per writer, its record numbers in the order found.
    QMap<int, QList<int>> records;
    // Per writer, those of its records that are notes records.
    QMap<int, QList<int>> notes;
    int openings = 0;
    int total = 0;
    // Records cut off at a page boundary, the rest missing (see
    // readRecordFile); child and number are -1 where the cut came before
    // the record's text.
    struct Cut {
        qsizetype from;
        qsizetype to;
        int child;
        int number;
    };
    QList<Cut> cuts;
    // Empty when the file is a sequence of whole records.
    QString error;
};

// Splits a record file written by writer children into whole records. A
// record cut off at a page boundary and followed by a whole record (or the
// end) is listed in `cuts`; any other stray byte is an error.
Tally readRecordFile(const QByteArray& bytes, FileKind file);

// Each writer's records must run 0, 1, 2, ... with no gap and no repeat.
// Returns the first fault found, or an empty text.
QString checkRuns(const QMap<int, QList<int>>& runs, const QString& fileName);

}  // namespace record_check
