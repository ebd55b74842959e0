#pragma once

#include "report/class_archive.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// The record files named on the command line, and whose they are. Files are
// taken as they are, folders searched through for "*.txt", a zip archive
// read as the folder it holds. The students are found in the layouts an
// instructor is handed: a folder per student (a data folder inside it is
// the same student's), a course site's download of submissions (a folder
// "NAME_ID_assignsubmission_file_" per student, or that prefix on each
// file), and a flat folder of several students' attachments
// ("ada_send_1207.txt").
namespace inputs {

enum class Kind { Master, Send, Notes, Other };

// What a file's name says it is; `day` is the MMDD of a send file. A prefix
// before the record file's own name ("ada_send_1207.txt") and a copy
// number that a mail program adds ("send_1207 (1).txt") are passed over.
struct RecordName {
    Kind kind = Kind::Other;
    QString day;
    QString prefix;  // "ada", or empty
};
RecordName recordName(const QString& fileName);

struct File {
    QString path;           // as reached from the argument, for messages
    QByteArray nativePath;  // as the system spells it, to open it by: the archive for an entry of one
    std::shared_ptr<class_archive::Archive> archive;
    class_archive::Entry entry;
    QString name;        // relative to the folder that all arguments share
    QString student;     // the student's name as the page shows it
    QString studentKey;  // tells students apart byte for byte
    QString studentId;   // the number a course site's download gives, or empty
    QString label;       // the file among the student's: "send_1207.txt", "korvelan/masterFile.txt"
    Kind kind = Kind::Other;
};

// A file or folder that could not be read, with the system's reason.
struct Unread {
    QString path;
    QString name;
    QString reason;
};

// What the layout gave cause to warn about: files that cannot be one
// student's, names that look alike.
struct Warning {
    QString path;
    QString name;
    QString message;
};

struct Found {
    std::vector<File> files;  // in the order of their names
    std::vector<Unread> unread;
    std::vector<Warning> warnings;
};

Found find(const QStringList& arguments);

// The deepest folder that holds all of these absolute paths.
QString commonFolder(const QStringList& folders);

// The name of a student's folder: its path relative to the folder that all
// arguments share, or that folder's own name when it is the student's.
QString studentName(const QString& common, const QString& folder);

// The whole file, or the reason why it cannot be read. Only plain files are
// read: a pipe or a device would never end.
struct Contents {
    QByteArray bytes;
    std::optional<QString> failure;
};
Contents read(const File& file);

}  // namespace inputs
