#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The record files named on the command line: files as they are, folders
// searched through for "*.txt". A student is a folder: the files of one
// folder are one student's.
namespace inputs {

struct File {
    QString path;           // as reached from the argument, for messages
    QByteArray nativePath;  // as the system spells it, to open it by
    QString name;           // relative to the folder that all arguments share
    QString student;        // its folder, named the same way
};

// A file or folder that could not be read, with the system's reason.
struct Unread {
    QString path;
    QString name;
    QString reason;
};

struct Found {
    std::vector<File> files;  // in the order of their names
    std::vector<Unread> unread;
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
Contents read(const QByteArray& nativePath);

}  // namespace inputs
