#pragma once

#include <QString>

// Folders of send files as students would hand them in, written by the
// program's own record writer, for the report's screenshot and benchmark.
namespace sample_class {

// Five students after an afternoon on assignment 101 of the example bank,
// whose questions and answers ask for ratings, two of them on 102 the next
// morning, one folder each with the master file, the send files and the
// notes file; one student typed a greeting into the send file and one sent
// an empty file.
void writeShowcase(const QString& folder);

// `students` send files of about `bytesPerFile` bytes each: random
// responses, ratings and notes to the built-in bank's items.
void writeLarge(const QString& folder, int students, qsizetype bytesPerFile, quint32 seed);

// `students` folders, each with about `bytesPerStudent` bytes in all: every
// one of the ten assignments in a run of its own on a day of its own, the
// send file of each day, the master file, which lost one record in 25, and
// the notes file.
void writeClass(const QString& folder, int students, qsizetype bytesPerStudent, quint32 seed);

}  // namespace sample_class
