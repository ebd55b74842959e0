#pragma once

#include "bank/bank_file.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

// The files of a bank on disk, read without ever blocking: a named pipe, a
// device or a folder in a file's place is named, not opened for reading.
namespace bank_source {

struct Sources {
    std::vector<std::pair<QString, QByteArray>> files;  // (name, bytes) in reading order
    std::vector<bank_file::Problem> problems;  // what could not be read, with the system's reason
};

// A file, or a folder whose bank files are taken in name order.
Sources readPath(const QString& path);

// These files, in this order.
Sources readFiles(const QStringList& paths);

// A folder's bank files: names ending in ".txt" or ".drillbank" (any case),
// hidden ones left out, in name order.
bool isBankFileName(const QString& name);

}  // namespace bank_source
