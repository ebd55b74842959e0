#include "app/start_up_rules.h"

#include "platform/text_rules.h"

#include <QDir>

#include <cmath>

namespace start_up_rules {

QString namePrompt()
{
    return QStringLiteral("Your full name:  ");
}

QString folderQuestionPrompt(const QString& defaultFolder)
{
    return QStringLiteral("Enter 1 if you want to change the folder to which your files will be written.  "
                          "The current default folder is %1.  If you wish to use this folder, just hit the Enter key")
        .arg(defaultFolder);
}

QString folderPathPrompt(const QString& defaultFolder)
{
    return QStringLiteral("You have chosen to change the folder to which your files will be written on your hard "
                          "drive from the default %1.  Enter the path to the folder you wish to use.  You may just "
                          "hit the Enter key to retain the default path.")
        .arg(defaultFolder);
}

QString assignmentPrompt()
{
    return QStringLiteral("Assignment Number:  ");
}

QString responsePrompt()
{
    return QStringLiteral(
        "Enter, as appropriate, an answer to the question, a critique of your answer in response to a given "
        "answer, your insights regarding the situation at this point, notes to yourself, or just an OK.\r\n\r\n"
        "Always critique your solutions by describing any insights you had or errors you makde, and by explaining "
        "how you can make use of the insight or how you now know how to avoid certain errors.  Also pose for the "
        "instructor any question or questions that you have related to the problem or series of problems.");
}

QString padAssignmentNumber(const QString& number)
{
    switch (number.size()) {
    case 1:
        return QStringLiteral("00") + number;
    case 2:
        return QStringLiteral("0") + number;
    default:
        return number;
    }
}

QString nextAssignmentNumber(const QString& paddedNumber)
{
    return padAssignmentNumber(text_rules::leadingNumberPlusOne(paddedNumber));
}

FileNames recordFileNames(const QString& folder, const QString& date)
{
    const QString separator = QDir::separator();
    const QString monthAndDay = date.left(2) + date.mid(3, 2);
    return {folder + separator + QStringLiteral("masterFile") + QStringLiteral(".txt"),
            folder + separator + QStringLiteral("send_") + monthAndDay + QStringLiteral(".txt"),
            folder + separator + QStringLiteral("notes_.txt")};
}

int codeNumberFrom(float r)
{
    return static_cast<int>(std::floor(10.0 * double(r) + 19.0));
}

}  // namespace start_up_rules
