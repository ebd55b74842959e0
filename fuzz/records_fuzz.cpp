// Fuzz target: the record reader and the report page.
//
// First byte even: the rest is a record file as it might arrive, any bytes.
// The reader must account for it sanely; read as two files of one student,
// each record must count once, and the pages of what it read must be
// well-formed whatever the bytes held.
//
// First byte odd: the rest describes records, which the program's own
// writer writes into a send file; reading it back must give them unchanged.
// Records are separated by 0x1E; a record's first byte picks its kind
// (opening, response without rating, with confidence, with self critique,
// notes) and its texts follow, separated by 0x1F, as UTF-8. The characters
// that the fixed lines are made of ("!", ":", "#", "-", "`") are taken out
// of the texts first: a text that forms those lines is ambiguous by nature.
#include "fuzz_checks.h"
#include "records/record_lines.h"
#include "records/record_reader.h"
#include "report/assignment_page.h"
#include "report/class_model.h"
#include "report/item_page.h"
#include "report/page.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

using fuzz_checks::require;
using record_reader::Records;

bool allValid(const Records& records)
{
    for (const auto& e : records.entries) {
        for (const QString* text : {&e.item, &e.text, &e.rating, &e.time, &e.date, &e.assignmentNumber, &e.questionNumber}) {
            if (!text->isValidUtf16())
                return false;
        }
    }
    for (const auto& o : records.openings) {
        if (!o.headerLine.isValidUtf16() || !o.courseName.isValidUtf16() || !o.assignmentNumber.isValidUtf16())
            return false;
    }
    return true;
}

void checkRawFile(const QByteArray& bytes)
{
    const Records records = record_reader::read(bytes);
    require(allValid(records), "a text with a lone surrogate");
    qsizetype previous = 0;
    for (const auto& stretch : records.unreadable) {
        require(stretch.firstLine > previous && stretch.firstLine <= stretch.lastLine && stretch.lastLine <= records.lineCount,
                "unreadable stretches out of order or outside the file");
        require(stretch.excerpt.size() <= record_reader::excerptLength, "an excerpt too long");
        previous = stretch.lastLine;
    }
    previous = 0;
    for (const auto& entry : records.entries) {
        require(entry.line > previous && entry.line <= records.lineCount, "records out of order or outside the file");
        previous = entry.line;
    }
    for (const auto& opening : records.openings)
        require(opening.line >= 1 && opening.line <= records.lineCount, "an opening outside the file");

    // The same file twice, as a student's master and send file, so that
    // the merging of copies meets whatever the bytes hold.
    class_records::ClassRecords whole;
    for (const auto& [name, kind] : {std::pair{"s/masterFile.txt", inputs::Kind::Master}, std::pair{"s/send_1207.txt", inputs::Kind::Send}})
        whole.files.push_back({QString::fromLatin1(name), QString(), QStringLiteral("s"), records, QString::fromLatin1(name).mid(2), kind, {}, {}});
    const class_model::ClassModel model = class_model::build(std::move(whole), course_items::builtIn());
    const qsizetype entries = qsizetype(records.entries.size());
    require(model.responses + model.notes == entries, "a record of one file merged with another or lost");
    const page_links::Layout layout = page_links::layoutFor(QString::fromLatin1(bytes.left(40)));
    const auto check = [](const QByteArray& html) {
        QXmlStreamReader xml(html);
        while (!xml.atEnd()) {
            xml.readNext();
            require(!(xml.isStartElement() && xml.name() == QLatin1String("script")), "a script element on the page");
        }
        require(!xml.hasError(), "the page is not well-formed");
    };
    QBuffer page;
    page.open(QIODevice::WriteOnly);
    require(page::write(model, {QStringLiteral("0")}, layout, page), "the page was not written");
    check(page.data());
    for (std::size_t a = 0; a < model.assignments.size(); ++a) {
        QBuffer assignment;
        assignment.open(QIODevice::WriteOnly);
        require(assignment_page::write(model, a, {QStringLiteral("0")}, layout, assignment), "an assignment page was not written");
        check(assignment.data());
        for (std::size_t i = 0; i < model.assignments[a].items.size(); ++i) {
            QBuffer item;
            item.open(QIODevice::WriteOnly);
            require(item_page::write(model, a, i, {QStringLiteral("0")}, layout, item), "an item page was not written");
            check(item.data());
        }
    }
}

QString typed(const QByteArray& bytes, bool oneLine)
{
    QString text = QString::fromUtf8(bytes);
    for (const QChar c : {u'!', u':', u'#', u'-', u'`'})
        text.replace(c, u'_');
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    return oneLine ? text.remove(u'\n') : text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
}

// Bank text and ratings come back without the trailing blanks of their lines.
QString trimmedLines(const QString& text)
{
    static const QRegularExpression trailing(QStringLiteral("[ \\t]+(?=\\r\\n|$)"));
    return QString(text).remove(trailing);
}

QString describe(const record_reader::Entry& e)
{
    return QStringList{QString::number(int(e.kind)), e.assignmentNumber, e.date, e.time, e.item, e.text,
                       QString::number(int(e.ratingKind)), e.rating, e.cutShort ? QStringLiteral("cut") : QString()}
        .join(QChar(0x1f));
}

void checkRoundTrip(const QByteArray& description)
{
    QByteArray send;
    QStringList expected;
    QString assignment;
    QString date;
    int minute = 0;
    const auto clock = [&](const QString& time) -> record_lines::Clock {
        return {[&date] { return date; }, [time] { return time; }};
    };
    for (const QByteArray& part : description.split('\x1e')) {
        if (part.isEmpty())
            continue;
        const QList<QByteArray> texts = part.mid(1).split('\x1f');
        const QString first = typed(texts.value(0), false);
        const QString second = typed(texts.value(1), false);
        const QString third = typed(texts.value(2), true);
        const QString time = QStringLiteral("%1:%2:00").arg(10 + minute / 60, 2, 10, QChar(u'0')).arg(minute % 60, 2, 10, QChar(u'0'));
        // Times only go forward: one that goes back is the next day's.
        minute = std::min(minute + 1, 599);
        const int kind = quint8(part[0]) % 5;
        if (kind == 0) {
            record_lines::Opening record;
            record.codeLine = "\xa9\xfe\x81Zx";
            // The writer pads the number to three characters, and the bank's
            // header line begins with it and a point.
            assignment = QStringLiteral("%1").arg(quint8(texts.value(0).isEmpty() ? 0 : texts.value(0).front()), 3, 10, QChar(u'0'));
            record.assignmentNumber = assignment;
            // The reader looks for the date within 64 lines of a header.
            record.headerLine = assignment + QStringLiteral(".  ") + second.split(QStringLiteral("\r\n")).mid(0, 60).join(QStringLiteral("\r\n"));
            record.courseName = QStringLiteral("Physics II");
            date = QStringLiteral("12-%1-2026").arg(1 + minute % 28, 2, 10, QChar(u'0'));
            send += record_lines::openingRecord(record, date);
        } else if (kind == 4) {
            record_lines::Notes record;
            record.currentLine = first;
            record.notesLine = record_lines::notesLine(second);
            date = QStringLiteral("11-%1-2026").arg(1 + minute % 28, 2, 10, QChar(u'0'));
            send += record_lines::notesRecord(record, clock(time)).send;
            record_reader::Entry entry;
            entry.kind = record_reader::Kind::Notes;
            entry.assignmentNumber = assignment;
            entry.date = date;
            entry.time = time;
            entry.item = trimmedLines(first);
            entry.text = second;
            expected.append(describe(entry));
        } else {
            record_lines::Response record;
            record.currentLine = first;
            record.response = second;
            record_reader::Entry entry;
            entry.assignmentNumber = assignment;
            entry.date = date;
            entry.time = time;
            entry.item = trimmedLines(first);
            entry.text = second;
            if (kind == 2) {
                record.ratingLine = record_lines::confidenceLine(third);
                entry.ratingKind = record_reader::RatingKind::Confidence;
                entry.rating = trimmedLines(third);
            } else if (kind == 3) {
                record.ratingLine = record_lines::selfCritiqueLine(third);
                entry.ratingKind = record_reader::RatingKind::SelfCritique;
                entry.rating = trimmedLines(third);
            }
            record.masterTime = time;
            record.sendTime = time;
            send += record_lines::responseRecord(record).send;
            expected.append(describe(entry));
        }
    }
    const Records records = record_reader::read(send);
    require(records.unreadable.empty(), "the writer's own records read as unreadable");
    QStringList found;
    for (const auto& entry : records.entries)
        found.append(describe(entry));
    require(found == expected, "records read back differ from those written");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "records_fuzz";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] % 2 == 0)
        checkRawFile(rest);
    else
        checkRoundTrip(rest);
    return 0;
}
