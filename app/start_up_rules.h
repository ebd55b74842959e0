#pragma once

#include <QString>

// The rules by which the start-up settles a run's fields.
namespace start_up_rules {

QString namePrompt();
QString folderQuestionPrompt(const QString& defaultFolder);
QString folderPathPrompt(const QString& defaultFolder);
QString assignmentPrompt();
QString responsePrompt();

// Leading zeros by length: one character gets "00", two get "0"; any other
// length is left as it is.
QString padAssignmentNumber(const QString& number);
// The number one higher, padded the same way ("abc" and "" give "001").
QString nextAssignmentNumber(const QString& paddedNumber);

struct FileNames {
    QString master;
    QString send;
    QString notes;
};
// The three record files in `folder`; `date` is today's mm-dd-yyyy text, of
// which the send file takes the month and the day.
FileNames recordFileNames(const QString& folder, const QString& date);

// The whole part of 10 * r + 19: a count from 19 to 28. Worked in double
// precision, so that an r just below 1 cannot round up to 29.
int codeNumberFrom(float r);

}  // namespace start_up_rules
