#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// A zip archive of stored (uncompressed) entries, written by hand so that a
// test can also make the archives that no archiver would: names that climb
// out of the archive, sizes that lie.
namespace zip_file {

struct Entry {
    QByteArray name;  // as the archive holds it
    QByteArray bytes;
    qint64 declaredSize = -1;  // the size written in the headers; -1: the true one
};

QByteArray archive(const QList<Entry>& entries);

}  // namespace zip_file
