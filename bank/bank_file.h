#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The question-bank format that the built-in course text (data/0NN.txt) and
// an instructor's bank share, and its one reader. A bank file is UTF-8 text
// with LF or CR LF line ends; each slot starts with a line
//   "@@ item"        the lines up to the next "@@" line are the item's text,
//                    joined with CR LF; empty lines at its end are dropped
//   "@@ empty"       an empty slot
//   "@@ unassigned"  a slot that the loader passes over without storing
// and the bank may begin with "@@ course NAME". Slots are filled from 1 on.
// Outside an item, blank lines and comments (lines that begin with "#")
// are passed over.
namespace bank_file {

constexpr int LastSlot = 5000;

// The course of the built-in text, and of a bank without a course line.
inline QString builtInCourse()
{
    return QStringLiteral("Physics II");
}
// More than any bank of 5000 slots needs; a bigger file is refused unread.
constexpr qint64 MaxBankBytes = 32 * 1024 * 1024;

struct Problem {
    enum Severity { Error, Warning };
    Severity severity = Error;
    QString file;
    int line = 0;  // 0: the file as a whole
    QString text;
    // How many problems it stands for: one named with the count of lines
    // that have the same fault ("and on 2 more lines") stands for them all.
    int count = 1;

    // "FILE:LINE: error: text", or "FILE: ..." without a line.
    QString toString() const;
};

struct Slot {
    bool stores = true;  // false for "@@ unassigned"
    QString text;
    int file = 0;  // index into Bank::files
    int line = 0;  // the slot's first text line (its "@@" line for an empty slot)
};

struct Assignment {
    QString number;  // "011"
    int headerSlot = 0;
    int items = 0;  // slots after the header, up to the next header, that a student is shown
    // The items by kind; together they make `items`.
    int questions = 0;
    int answers = 0;
    int unmarked = 0;
    int routineLines = 0;
};

// A routine line that names a picture file, which sits beside the bank file
// that holds the line.
struct PictureUse {
    QString name;  // cleaned as every routine name is: "incline.png"
    int slot = 0;
};

struct Bank {
    QString path;  // as given: a file or a folder
    QStringList files;
    QString course;  // empty without a course line
    int slotsUsed = 0;  // slots in the files, also past the last slot
    std::vector<Slot> bankSlots;  // [0] is slot 1; none past the last slot
    std::vector<Assignment> assignments;
    std::vector<PictureUse> pictureUses;  // in slot order
    std::vector<Problem> problems;
    // A file had so many problems that the rest of it was not read: there
    // may be more than the counts say.
    bool readInPart = false;

    bool usable() const;
    int errorCount() const;
    int warningCount() const;
};

// Checks the picture files that the bank's routine lines name and adds its
// problems to the bank. The reader itself decodes no picture.
using PictureCheck = std::function<void(Bank&)>;

// Reads a bank: a file, or a folder whose bank files (*.txt, *.drillbank)
// are read in name order as one bank. Then checks it whole, its pictures
// with `pictures` when one is given.
Bank read(const QString& path, const PictureCheck& pictures = {});

// Reads these files, in this order, as one bank and checks it.
Bank readFiles(const QStringList& paths);

// The same for texts already in memory: (file name, bytes) pairs.
Bank parse(const QString& path, const std::vector<std::pair<QString, QByteArray>>& files);

// The header line's assignment number: the item's first three characters
// when they are digits followed by a point; empty for any other item.
QString headerNumber(const QString& item);

// The bank in its own format: the course line, if any, then every slot.
QByteArray formatted(const QString& course, const std::vector<Slot>& bankSlots);

// Every problem, one per line, in file and line order.
QString problemLines(const Bank& bank);

// What --check-bank prints after the problems: the course, each assignment
// with its header slot and items, the slots used, and the verdict.
QString summary(const Bank& bank);

// The message box's text for a bank that cannot be used: its errors, the
// first `shown` of them, then how many more.
QString unusableMessage(const Bank& bank, int shown = 10);

}  // namespace bank_file
