#include "app/main_form.h"
#include "app/start_up_rules.h"

void MainForm::useBank(bank_file::Bank bank, bank_pictures::Pictures pictures)
{
    instructorBank_ = std::move(bank);
    bankPictures_ = std::move(pictures);
}

void MainForm::Form_Load()
{
    const bool namedCourse = instructorBank_ && !instructorBank_->course.isEmpty();
    courseName = namedCourse ? instructorBank_->course : bank_file::builtInCourse();
    startUp();
    openAssignment();
}

void MainForm::startUp()
{
    using namespace start_up_rules;

    platform_.reseed(platform_.secondsSinceMidnight());
    codeNumber = codeNumberFrom(platform_.nextRandom());

    ui.Picture1->setScaleHeight(1000);
    ui.Picture1->setScaleWidth(1000);
    ui.Picture2->setScaleHeight(1000);
    ui.Picture2->setScaleWidth(1000);

    const QString folder = platform_.defaultFolder();
    dataFolder = folder;
    platform_.makeFolder(folder);

    platform_.inputBox(namePrompt());
    if (platform_.inputBox(folderQuestionPrompt(folder)) == QStringLiteral("1")) {
        const QString typed = platform_.inputBox(folderPathPrompt(folder));
        if (!typed.isEmpty()) {
            dataFolder = typed;
            platform_.makeFolder(dataFolder);
        }
    }

    // One reading of the date, so a start at midnight cannot mix two days.
    const FileNames names = recordFileNames(dataFolder, platform_.dateText());
    masterFileName = names.master;
    sendFileName = names.send;
    notesFileName = names.notes;

    assignmentNumber = padAssignmentNumber(platform_.inputBox(assignmentPrompt()));
    nextAssignmentNumber = start_up_rules::nextAssignmentNumber(assignmentNumber);
    this->responsePrompt = start_up_rules::responsePrompt();

    lineIndex = 0;
    loadQuestionBank();
}
