#pragma once

#include "report/class_records.h"

#include <QIODevice>
#include <QString>

// The report page: one self-contained HTML file in UTF-8, its styles and
// drawings inline, no scripts, nothing fetched. Everything read from the
// files is written as text, so markup in a response shows as typed.
namespace page {

struct Details {
    QString programVersion;
};

// Returns false when the device refused a write.
bool write(const class_records::ClassRecords& records, const Details& details, QIODevice& out);

}  // namespace page
