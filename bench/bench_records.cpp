// "display SEND file" on long send files, and the records written, flushed and
// synced, beside bare synced appends of the same size.
#include "bench_support.h"
#include "form_fixture.h"

#include "platform/text_box.h"

#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A send file of `lines` lines of 60 bytes, CR LF included.
QByteArray sendFileOf(int lines)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(lines) * 60);
    for (int i = 0; i < lines; ++i) {
        QByteArray line = "14:02:07  response " + QByteArray::number(i) + ": the gas does 900 J of work";
        line = line.leftJustified(58, '.', true);
        bytes += line + "\r\n";
    }
    return bytes;
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void BM_DisplaySendFile(benchmark::State& state)
{
    const int lines = int(state.range(0));
    FormFixture fixture;
    MainForm& form = fixture.start();
    if (form.hasEnded() || !writeWhole(form.sendFileName, sendFileOf(lines)) || !bench::showAndWaitForFirstPaint(form)) {
        state.SkipWithError("could not set up the window and its send file");
        return;
    }
    QPlainTextEdit* box = form.ui.txt_question;
    const bench::PaintCounter boxPainted(box->viewport());
    // One untimed display first: a run of 100,000 lines has only a few
    // iterations, and the first one in a process pays for fresh memory that
    // the shorter runs amortise over hundreds.
    form.guarded([&] { form.cmd_displayCumulativeText_Click(); });
    bench::settle();
    for (auto _ : state) {
        text_box::setText(box, QString());
        bench::settle();

        const int paintsBefore = boxPainted.count();
        const auto start = bench::Clock::now();
        form.guarded([&] { form.cmd_displayCumulativeText_Click(); });
        const bool shown = bench::waitForPaint(boxPainted, paintsBefore);
        state.SetIterationTime(bench::secondsSince(start));

        // An empty box gains a first empty line, then one line per record line.
        if (!shown || form.hasEnded() || box->document()->blockCount() != lines + 1) {
            state.SkipWithError("the send file was not shown whole");
            break;
        }
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_DisplaySendFile)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The first display in a fresh window, as a student meets it: the process has
// not yet held that much text.
void BM_DisplaySendFileFirst(benchmark::State& state)
{
    const int lines = int(state.range(0));
    const QByteArray sendFile = sendFileOf(lines);
    for (auto _ : state) {
        FormFixture fixture;
        MainForm& form = fixture.start();
        if (form.hasEnded() || !writeWhole(form.sendFileName, sendFile) || !bench::showAndWaitForFirstPaint(form)) {
            state.SkipWithError("could not set up the window and its send file");
            break;
        }
        QPlainTextEdit* box = form.ui.txt_question;
        const bench::PaintCounter boxPainted(box->viewport());

        const auto start = bench::Clock::now();
        form.guarded([&] { form.cmd_displayCumulativeText_Click(); });
        const bool shown = bench::waitForPaint(boxPainted, 0);
        state.SetIterationTime(bench::secondsSince(start));

        if (!shown || form.hasEnded() || box->document()->blockCount() != lines + 1) {
            state.SkipWithError("the send file was not shown whole");
            break;
        }
    }
}
BENCHMARK(BM_DisplaySendFileFirst)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The floor under the display: the same lines set straight into the same box
// by Qt alone, with its repaint.
void BM_SetPlainTextFloor(benchmark::State& state)
{
    const int lines = int(state.range(0));
    FormFixture fixture;
    MainForm& form = fixture.start();
    if (form.hasEnded() || !bench::showAndWaitForFirstPaint(form)) {
        state.SkipWithError("could not set up the window");
        return;
    }
    const QString text = QLatin1Char('\n') + QString::fromLatin1(sendFileOf(lines)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).chopped(1);
    QPlainTextEdit* box = form.ui.txt_question;
    const bench::PaintCounter boxPainted(box->viewport());
    box->setPlainText(text);  // untimed, as for the display
    bench::settle();
    for (auto _ : state) {
        box->setPlainText(QString());
        bench::settle();

        const int paintsBefore = boxPainted.count();
        const auto start = bench::Clock::now();
        box->setPlainText(text);
        const bool shown = bench::waitForPaint(boxPainted, paintsBefore);
        state.SetIterationTime(bench::secondsSince(start));

        if (!shown || box->document()->blockCount() != lines + 1) {
            state.SkipWithError("the text was not shown whole");
            break;
        }
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_SetPlainTextFloor)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

qint64 sizeOf(const QString& path)
{
    return QFileInfo(path).size();
}

// What the syncs of a record cost at this moment: the record's journal is
// synced, then the folder, so that the journal's name reaches the disk, then
// each of its files and, after each, the journal's mark for it. They are
// sampled as bare appends with fsync less the same without, one for the
// journal and two per file, and a bare fsync of the folder, in the same
// folder and with no program code in between. Sampled right after each
// record, since a shared disk's fsync time drifts.
class SyncGauge {
public:
    SyncGauge(const QString& folder, int files)
        : folder_(QFile::encodeName(folder)), path_(QFile::encodeName(folder + QStringLiteral("/bare_append.txt"))),
          files_(files)
    {
    }

    // False if a bare append or the folder's sync failed.
    bool sample()
    {
        for (int i = 0; i < 2 * files_ + 1; ++i) {
            const double synced = append(true);
            const double unsynced = append(false);
            if (synced < 0 || unsynced < 0)
                return false;
            total_ += synced - unsynced;
        }
        const double folder = syncFolder();
        total_ += folder;
        return folder >= 0;
    }

    benchmark::Counter perRecordMs() const { return benchmark::Counter(total_ * 1e3, benchmark::Counter::kAvgIterations); }
    // The journal's, the folder's, and each file's with its mark.
    int syncsPerRecord() const { return 2 * files_ + 2; }

private:
    double syncFolder() const
    {
        const int fd = ::open(folder_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const auto start = bench::Clock::now();
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        const double seconds = bench::secondsSince(start);
        if (fd >= 0)
            ::close(fd);
        return synced ? seconds : -1;
    }

    double append(bool sync) const
    {
        const QByteArray record(400, 'x');
        const auto start = bench::Clock::now();
        const int fd = ::open(path_.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        const bool written = fd >= 0 && ::write(fd, record.constData(), size_t(record.size())) == record.size() &&
                             (!sync || ::fsync(fd) == 0);
        if (fd >= 0)
            ::close(fd);
        return written ? bench::secondsSince(start) : -1;
    }

    QByteArray folder_;
    QByteArray path_;
    int files_;
    double total_ = 0;
};

void BM_ResponseRecord(benchmark::State& state)
{
    FormFixture fixture;
    MainForm& form = fixture.start();
    form.guarded([&] { form.cmdNextQuestion_Click(); });
    const QString response = QStringLiteral("The heat flows from the warmer body until both reach 31.4 deg C; "
                                            "I used Q = m c Delta T for each body and set the sum to zero.");
    SyncGauge syncs(fixture.defaultFolder(), 2);
    for (auto _ : state) {
        fixture.typeAnswer(response);
        fixture.platform.answers = {QStringLiteral("3")};  // the rating, when the item asks for one
        const qint64 sendBefore = sizeOf(form.sendFileName);

        const auto start = bench::Clock::now();
        form.guarded([&] { form.cmd_enter_response_Click(); });
        state.SetIterationTime(bench::secondsSince(start));

        if (form.hasEnded() || sizeOf(form.sendFileName) <= sendBefore || !syncs.sample()) {
            state.SkipWithError("the response record was not written");
            break;
        }
    }
    state.counters["files"] = 2;
    state.counters["syncs"] = syncs.syncsPerRecord();
    state.counters["sync_ms"] = syncs.perRecordMs();
}
BENCHMARK(BM_ResponseRecord)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_NotesRecord(benchmark::State& state)
{
    FormFixture fixture;
    MainForm& form = fixture.start();
    form.guarded([&] { form.cmdNextQuestion_Click(); });
    const QString note = QStringLiteral("Remember: the specific heat of water is 4186 J/(kg C), "
                                        "and the heat lost by one body is gained by the other.");
    SyncGauge syncs(fixture.defaultFolder(), 3);
    for (auto _ : state) {
        fixture.typeAnswer(note);
        const qint64 notesBefore = sizeOf(form.notesFileName);

        const auto start = bench::Clock::now();
        form.guarded([&] { form.cmd_save_as_notes_Click(); });
        state.SetIterationTime(bench::secondsSince(start));

        if (form.hasEnded() || sizeOf(form.notesFileName) <= notesBefore || !syncs.sample()) {
            state.SkipWithError("the notes record was not written");
            break;
        }
    }
    state.counters["files"] = 3;
    state.counters["syncs"] = syncs.syncsPerRecord();
    state.counters["sync_ms"] = syncs.perRecordMs();
}
BENCHMARK(BM_NotesRecord)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
