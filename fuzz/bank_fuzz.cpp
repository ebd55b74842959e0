// Fuzz target: arbitrary banks through the reader and the stepping, their
// items through remSpaces, expandLineBreaks, the routine names and the line
// writer, and the input's raw bytes through the display readers.
//
// Input: one byte of switches, then the items of the bank, each ended by
// 0x1E. Inside an item, 0x1D n repeats the item so far n + 1 times (so that a
// short input can make a very long item) and 0x1C b stands for the byte b.
// Switches:
//   bits 0-1  0 or 3: one character per byte (codes 0 to 255); 1: UTF-8;
//             2: UTF-16, lone surrogates included
//   bit 2     the items end at the bank's last slot instead of starting at 1
//   bit 3     the assignment is opened first (the header search)
//   bit 4     "next picture" is pressed after each step
//   bit 5     a response, the step's item, is entered after each step
//   bit 6     a note is saved after each step
//   bit 7     the next assignment number is "012" (else "021")
//
// What must hold, else the target aborts: no handler shows an error (but the
// header search's "no such assignment"), the reading position stays in the
// bank, the stepping ends normally within one press more than there are items, and the pure
// rules keep their invariants.
#include "app/main_form.h"
#include "bank/reader_rules.h"
#include "memory_platform.h"
#include "platform/drill_error.h"
#include "platform/record_encoding.h"
#include "platform/text_box.h"
#include "platform/text_rules.h"
#include "records/line_writer.h"

#include <QApplication>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr qsizetype maxItems = 64;
constexpr qsizetype maxItemBytes = 16 * 1024;
constexpr qsizetype maxBankBytes = 24 * 1024;

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

QList<QByteArray> splitItems(const std::uint8_t* data, std::size_t size)
{
    QList<QByteArray> items;
    QByteArray item;
    qsizetype total = 0;
    for (std::size_t i = 0; i < size && items.size() < maxItems; ++i) {
        const std::uint8_t b = data[i];
        if (b == 0x1E) {
            total += item.size();
            items.append(item);
            item.clear();
        } else if (b == 0x1D && i + 1 < size) {
            const int times = data[++i] + 1;
            const QByteArray once = item;
            for (int t = 1; t < times && item.size() + once.size() <= maxItemBytes; ++t)
                item += once;
        } else if (b == 0x1C && i + 1 < size) {
            item += char(data[++i]);
        } else {
            item += char(b);
        }
        if (total + item.size() > maxBankBytes)
            break;
    }
    if (!item.isEmpty() && items.size() < maxItems)
        items.append(item);
    return items;
}

QString decodeItem(const QByteArray& bytes, int decoding)
{
    switch (decoding) {
    case 1:
        return QString::fromUtf8(bytes);
    case 2:
        return QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    default:
        return QString::fromLatin1(bytes);
    }
}

void checkTextRules(const QString& item, const QByteArray& raw)
{
    using namespace reader_rules;

    const QString kept = remSpaces(item);
    require(!kept.contains(u' ') && !kept.contains(u'-'), "remSpaces left a blank or a hyphen");
    require(kept.size() == item.size() - item.count(u' ') - item.count(u'-'), "remSpaces dropped other characters");

    const QString expanded = expandLineBreaks(item);
    require(expanded.size() == item.size(), "expandLineBreaks changed the length");
    require(!expanded.contains(QStringLiteral("{}")), "expandLineBreaks left a pair");

    if (isRoutineLine(item)) {
        const QString name = routineName(item);
        require(!name.contains(u' ') && !name.contains(u'-') && name == name.toLower(), "routine name not cleaned");
    }
    QString stripped = item;
    const Marker marker = stripMarker(stripped);
    require(marker == Marker::None ? stripped == item : stripped == item.mid(2), "stripMarker removed too much");

    // Print zones: the second item of a line starts at the zone after the
    // first; the column counts from the last line break.
    const QByteArray encoded = record_encoding::encode(item);
    LineWriter pair;
    pair.line({item, raw}, LineWriter::Ending::LeaveOpen);
    if (!encoded.contains('\n')) {
        const qsizetype start = LineWriter::nextZone(1 + encoded.size()) - 1;
        require(pair.bytes() == encoded + QByteArray(start - encoded.size(), ' ') + raw, "second item not at its zone");
    }
    require(pair.column() == pair.bytes().size() - pair.bytes().lastIndexOf('\n'), "column not counted from the break");

    const double number = text_rules::leadingNumber(item);
    LineWriter numbered;
    try {
        numbered.line({item, number});
        require(std::isfinite(number), "an endless number was written");
        require(numbered.column() == 1 && numbered.bytes().endsWith("\r\n"), "a closed line left open");
    } catch (const DrillError&) {
        require(!std::isfinite(number), "a finite number was refused");
    }
}

void checkDisplayReaders(const QByteArray& bytes)
{
    const QStringList lines = record_encoding::splitLines(record_encoding::decode(bytes));
    for (const QString& line : lines)
        require(!line.contains(u'\r'), "a line kept its carriage return");
}

// Qt's warnings about odd characters would bury the fuzzer's own output.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(quietMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    static int argc = 1;
    static char name[] = "bank_fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t switches = data[0];
    const QList<QByteArray> raw = splitItems(data + 1, size - 1);
    QStringList items;
    for (const QByteArray& item : raw)
        items.append(decodeItem(item, switches & 3));

    for (qsizetype i = 0; i < items.size(); ++i)
        checkTextRules(items[i], raw[i]);
    const QByteArray whole(reinterpret_cast<const char*>(data), qsizetype(size));
    checkDisplayReaders(whole);

    MemoryPlatform platform;
    platform.answers = {QStringLiteral("F. Uzz"), QString(), QStringLiteral("11")};
    MainForm form(platform);
    form.load();
    require(!form.hasEnded() && platform.errors.isEmpty(), "the start-up failed");

    // The display readers on files that hold the raw input.
    platform.files[form.notesFileName] = whole;
    platform.files[form.sendFileName] = whole;
    form.guarded([&] { form.cmd_display_note_file_Click(); });
    form.guarded([&] { form.cmd_displayCumulativeText_Click(); });
    require(platform.errors.isEmpty(), "a display reader failed");

    form.QuestionBank.clear();
    const long long first = (switches & 4) ? TextBank::LastSlot - items.size() + 1 : 1;
    qsizetype filled = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        form.QuestionBank.store(first + i, items[i]);
        filled += !items[i].isEmpty();
    }
    form.lineIndex = 0;
    form.nextAssignmentNumber = (switches & 128) ? QStringLiteral("012") : QStringLiteral("021");

    if (switches & 8) {
        form.guarded([&] { form.openAssignment(); });
        if (form.hasEnded()) {
            require(platform.errors.size() == 1 && platform.errors.first().contains(QStringLiteral("has no assignment")),
                    "the header search failed other than by a missing assignment");
            return 0;
        }
    }

    // Each press reads at least one filled slot, so one press more than
    // there are filled slots must reach the end of the bank.
    for (qsizetype press = 0; press <= filled && !form.hasEnded(); ++press) {
        form.ui.cmdNextQuestion->click();
        if (switches & 16)
            form.ui.cmd_next_picture->click();
        if (switches & 32) {
            text_box::setText(form.ui.txt_answer, items.value(press % qMax<qsizetype>(1, items.size())));
            form.ui.cmd_enter_response->click();
        }
        if (switches & 64) {
            text_box::setText(form.ui.txt_answer, QStringLiteral("note %1").arg(press));
            form.ui.cmd_save_as_notes->click();
        }
        require(TextBank::holds(form.lineIndex), "the reading position left the bank");
        require(platform.errors.isEmpty(), "a handler showed an error");
    }
    require(form.hasEnded(), "the stepping did not reach the end of the bank");
    require(platform.exitStatus == 0, "the stepping ended other than normally");
    return 0;
}
