#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The record files named on the command line: files as they are, folders
// searched through for "*.txt".
namespace inputs {

struct File {
    QString path;  // as reached from the argument, for messages
    QString name;  // relative to the folder that all arguments share
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

// The whole file, or the reason why it cannot be read. Only plain files are
// read: a pipe or a device would never end.
struct Contents {
    QByteArray bytes;
    std::optional<QString> failure;
};
Contents read(const QString& path);

}  // namespace inputs
