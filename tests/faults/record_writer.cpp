// A writer child for the fault tests. It prints "ready" once it is about to
// write records, then writes them until its count is reached or it is killed.
//
//   record_writer window CHILD COUNT NOTES_EVERY
//     The program's own path: a MainForm on the scripted platform starts as a
//     student's run does (default folder under $HOME, assignment 11), then
//     types typedText(CHILD, n) into the answer box and presses Enter
//     Response, or Save as Notes for every NOTES_EVERY-th record. COUNT -1
//     writes until killed.
//
//   record_writer serve NOTES_EVERY
//     A writer server, so that each writer need not start Qt anew: it reads
//     commands on its input and answers each with one line.
//       "start CHILD" forks a writer as "window CHILD -1 NOTES_EVERY" does
//                     and answers "started PID";
//       "await PID"   answers "ready" once that writer is about to write
//                     records, "gone" if it died first;
//       "reap PID"    waits for that writer and answers "signal N" or
//                     "exit N".
//
//   record_writer display notes|send
//     Starts the same way, then presses display notes or display SEND file.
//     Exits with 1 if an error was shown, 2 if the program ended.
//
//   record_writer direct PATH LENGTH COUNT
//     Long records without the window: record_lines composes a response of
//     LENGTH characters and file_access appends it to PATH, as the window
//     does. Prints "ready SIZE" with the record's size in bytes.
//
//   record_writer press response|note ATTEMPTS
//     Starts as "window 1" does and presses Enter Response or Save as Notes
//     with typedText(1, 0), again while a press shows an error, at most
//     ATTEMPTS times. Each error goes to the error output on a line of its
//     own, after "error: ". Exits with 0 once a press recorded, 1 if none
//     did, 2 if the program ended.
//
//   record_writer crash opening|response|note|retry STOP
//     Runs as "window 1" does and, after the opening record, records one
//     response or one note, typedText(1, 0). Kills itself with SIGKILL at
//     the STOP-th crash point of the file layer (every sync of a record file
//     or a journal, and every removal of a journal), counted from its start;
//     0 never stops. With "retry", the response's send file fails while
//     the master file cannot be cut back and the journal cannot be changed;
//     then every file of the data folder is made ten seconds older, as if
//     the student had waited, and Enter Response is pressed again: with the
//     text that the answer box still holds, or else typedText(1, 1).
#include "app/main_form.h"
#include "platform/file_access.h"
#include "platform/record_calls.h"
#include "platform/text_box.h"
#include "record_check.h"
#include "records/record_lines.h"
#include "scripted_platform.h"
#include "test_system.h"
#include "writer_server.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

int crashPointsLeft = 0;

// The faults of "crash retry": the send file cannot be written, the master
// file cannot be cut back, and the journal can be neither marked to take
// the record back after its first mark nor, as the program's earlier
// versions did, replaced by a journal to take back.
struct Fault {
    record_calls::Call call;
    QByteArray name;
    int error;
    int spared;
};
std::vector<Fault> faults;
std::map<std::size_t, int> faultCalls;

// The points at which a crash matters: every sync of a record file, a
// journal or the folder, and every removal of a journal.
int stopAtTheChosenCrashPoint(record_calls::Call call, const QByteArray& name)
{
    using record_calls::Call;
    if ((call == Call::Sync || call == Call::Remove) && crashPointsLeft > 0 && --crashPointsLeft == 0)
        test_system::killThisProcess();
    for (std::size_t i = 0; i < faults.size(); ++i) {
        if (faults[i].call == call && faults[i].name == name && ++faultCalls[i] > faults[i].spared)
            return faults[i].error;
    }
    return 0;
}

// Every file of the folder ten seconds older.
void waitTenSeconds(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(file.fileTime(QFileDevice::FileModificationTime).addSecs(-10),
                             QFileDevice::FileModificationTime);
    }
}

bool sayReady()
{
    std::printf("ready\n");
    return std::fflush(stdout) == 0;
}

// Calls `ready` once it is about to write records: "ready" on standard
// output, unless it was forked by the writer server.
int runWindow(int child, int count, int notesEvery, const std::function<bool()>& ready = sayReady)
{
    ScriptedPlatform platform;
    platform.answers = {QStringLiteral("Writer %1").arg(child), QString(), QStringLiteral("11")};
    MainForm form(platform);
    form.load();
    if (!ready())
        return 3;
    for (int n = 0; !form.hasEnded() && platform.errors.isEmpty() && (count < 0 || n < count); ++n) {
        text_box::setText(form.ui.txt_answer, record_check::typedText(child, n));
        if (notesEvery > 0 && n % notesEvery == notesEvery - 1)
            form.ui.cmd_save_as_notes->click();
        else
            form.ui.cmd_enter_response->click();
    }
    if (form.hasEnded() || !platform.errors.isEmpty()) {
        std::fprintf(stderr, "the writer failed: %s\n", qPrintable(platform.errors.join(QStringLiteral("; "))));
        return 1;
    }
    return 0;
}

int serve(int notesEvery)
{
    // A window built and dropped first loads the fonts and Qt's caches, so
    // that the forked writers start from there.
    {
        ScriptedPlatform platform;
        MainForm form(platform);
    }
    return writer_server::serve([notesEvery](int child, const std::function<bool()>& ready) {
        return runWindow(child, -1, notesEvery, ready);
    });
}

int runRetry()
{
    ScriptedPlatform platform;
    platform.answers = {QStringLiteral("Writer 1"), QString(), QStringLiteral("11")};
    MainForm form(platform);
    form.load();
    using record_calls::Call;
    text_box::setText(form.ui.txt_answer, record_check::typedText(1, 0));
    faults = {{Call::Write, "send_1207.txt", EIO, 0},
              {Call::Truncate, "masterFile.txt", EIO, 0},
              {Call::Open, ".record-journal.take-back", EIO, 0},
              {Call::Write, ".record-journal", EIO, 2}};
    form.ui.cmd_enter_response->click();
    faults.clear();
    waitTenSeconds(form.dataFolder);
    if (text_box::text(form.ui.txt_answer).isEmpty())
        text_box::setText(form.ui.txt_answer, record_check::typedText(1, 1));
    form.ui.cmd_enter_response->click();
    return form.hasEnded() ? 2 : 0;
}

int runCrash(const QString& kind, int stopAt)
{
    crashPointsLeft = stopAt;
    record_calls::setFaultHook(stopAtTheChosenCrashPoint);
    if (kind == QStringLiteral("retry"))
        return runRetry();
    const bool opening = kind == QStringLiteral("opening");
    return runWindow(1, opening ? 0 : 1, kind == QStringLiteral("note") ? 1 : 0);
}

int runPresses(const QString& kind, int attempts)
{
    ScriptedPlatform platform;
    platform.answers = {QStringLiteral("Writer 1"), QString(), QStringLiteral("11")};
    MainForm form(platform);
    form.load();
    QPushButton* button = kind == QStringLiteral("note") ? form.ui.cmd_save_as_notes : form.ui.cmd_enter_response;
    for (int attempt = 0; attempt < attempts && !form.hasEnded(); ++attempt) {
        const qsizetype errorsBefore = platform.errors.size();
        text_box::setText(form.ui.txt_answer, record_check::typedText(1, 0));
        button->click();
        if (platform.errors.size() == errorsBefore)
            return 0;
        std::fprintf(stderr, "error: %s\n", qPrintable(platform.errors.last().replace(u'\n', u' ')));
    }
    return form.hasEnded() ? 2 : 1;
}

int runDisplay(const QString& which)
{
    ScriptedPlatform platform;
    platform.answers = {QStringLiteral("Reader"), QString(), QStringLiteral("11")};
    MainForm form(platform);
    form.load();
    if (which == QStringLiteral("notes"))
        form.ui.cmd_display_note_file->click();
    else
        form.ui.cmd_displayCumulativeText->click();
    if (!platform.errors.isEmpty())
        std::fprintf(stderr, "the display failed: %s\n", qPrintable(platform.errors.join(QStringLiteral("; "))));
    if (form.hasEnded())
        return 2;
    return platform.errors.isEmpty() ? 0 : 1;
}

int runDirect(const QString& path, int length, int count)
{
    record_lines::Response record;
    record.masterTime = QStringLiteral("14:02:00");
    record.response = QString(length, u'x');
    record.assignmentNumber = QStringLiteral("011");
    const QByteArray bytes = record_lines::responseRecord(record).master;
    std::printf("ready %lld\n", static_cast<long long>(bytes.size()));
    std::fflush(stdout);
    try {
        for (int n = 0; count < 0 || n < count; ++n)
            file_access::appendRecord({{path, bytes}});
    } catch (const DrillError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QStringLiteral("window"))
        return runWindow(args[2].toInt(), args[3].toInt(), args[4].toInt());
    if (args.size() == 3 && args[1] == QStringLiteral("serve"))
        return serve(args[2].toInt());
    if (args.size() == 3 && args[1] == QStringLiteral("display"))
        return runDisplay(args[2]);
    if (args.size() == 5 && args[1] == QStringLiteral("direct"))
        return runDirect(args[2], args[3].toInt(), args[4].toInt());
    if (args.size() == 4 && args[1] == QStringLiteral("press"))
        return runPresses(args[2], args[3].toInt());
    if (args.size() == 4 && args[1] == QStringLiteral("crash"))
        return runCrash(args[2], args[3].toInt());
    std::fprintf(stderr, "usage: record_writer window CHILD COUNT NOTES_EVERY | serve NOTES_EVERY | display notes|send | "
                         "direct PATH LENGTH COUNT | press response|note ATTEMPTS | crash opening|response|note|retry STOP\n");
    return 2;
}
