#include "bank/bank_file.h"

#include "bank/bank_check.h"
#include "bank/bank_source.h"
#include "bank/utf8_fault.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>

namespace bank_file {

namespace {

// Past this many problems in one file the rest of it is not read: a file
// that is not a bank at all would otherwise give one per line.
constexpr int MaxProblemsPerFile = 100;
// Lines that are not UTF-8 named one by one; the rest are counted.
constexpr int MaxUndecodableListed = 10;

// The lines of a text: split at LF, with a CR before the LF dropped; no line
// follows a final LF.
template <typename Text>
std::vector<Text> splitLines(Text text)
{
    std::vector<Text> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        Text line = text.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool isControl(char16_t c)
{
    return (c < 0x20 && c != u'\t') || (c >= 0x7f && c <= 0x9f);
}

QString controlName(char16_t c)
{
    if (c == u'\r')
        return QStringLiteral("a carriage return (CR) inside a line, where a line must end in LF or CR LF");
    return QStringLiteral("the control character U+%1, which is not text")
        .arg(QString::number(c, 16).toUpper().rightJustified(4, u'0'));
}

QString andMore(int lines)
{
    return lines == 0 ? QString() : QStringLiteral(" (and on %1 more line%2)").arg(lines).arg(lines == 1 ? "" : "s");
}

// Reads one file's text into the bank, slot after slot.
class FileParser {
public:
    FileParser(Bank& bank, int fileIndex, int& slotsUsed)
        : bank_(bank), file_(fileIndex), name_(bank.files[fileIndex]), slotsUsed_(slotsUsed)
    {
    }

    // False when the file is not all text or has too many problems to be
    // read to its end.
    bool parse(const QByteArray& bytes);

private:
    QString decodeLineByLine(const QByteArray& bytes);
    bool textIsReadable(const std::vector<QStringView>& lines);
    void take(QStringView line, int number);
    void directive(QStringView line, int number);
    void newSlot(bool stores, bool item, int line, int atLine);
    void finishItem();
    void finishOutsideText();
    void problem(int line, const QString& text, int count = 1);
    bool full() const { return problems_ >= MaxProblemsPerFile; }

    Bank& bank_;
    int file_;
    QString name_;
    int& slotsUsed_;
    int problems_ = 0;
    bool undecodable_ = false;  // some lines are not UTF-8

    bool inItem_ = false;
    // After an unknown "@@" line: its lines are passed over, as they have a
    // problem already.
    bool inUnknown_ = false;
    bool keepItem_ = false;  // false past the bank's last slot
    QStringList itemLines_;
    int outsideFirst_ = 0;
    int outsideLast_ = 0;
};

void FileParser::problem(int line, const QString& text, int count)
{
    if (full())
        return;
    ++problems_;
    if (full()) {
        bank_.readInPart = true;
        bank_.problems.push_back(
            {Problem::Error, name_, line, QStringLiteral("too many problems: the rest of this file is not read")});
        return;
    }
    bank_.problems.push_back({Problem::Error, name_, line, text, count});
}

bool FileParser::parse(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        text = decodeLineByLine(bytes);
    if (bytes.isEmpty())
        bank_.problems.push_back({Problem::Warning, name_, 0, QStringLiteral("the file is empty")});

    const std::vector<QStringView> lines = splitLines(QStringView(text));
    if (!textIsReadable(lines))
        return false;
    for (std::size_t i = 0; i < lines.size() && !full(); ++i)
        take(lines[i], int(i) + 1);
    finishItem();
    finishOutsideText();
    return !full() && !undecodable_;
}

// Names the lines that are not UTF-8, the first ones each and the rest in a
// count, and keeps them with their undecodable bytes replaced, so that the
// lines around them are still read and checked.
QString FileParser::decodeLineByLine(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    std::vector<std::pair<int, utf8_fault::Fault>> undecodable;
    const std::vector<QByteArrayView> rawLines = splitLines(QByteArrayView(bytes));
    for (std::size_t i = 0; i < rawLines.size(); ++i) {
        QStringDecoder lineDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text += lineDecoder.decode(rawLines[i]);
        text += u'\n';
        if (lineDecoder.hasError())
            undecodable.emplace_back(int(i) + 1, utf8_fault::firstIn(rawLines[i]));
    }
    undecodable_ = !undecodable.empty();
    const int listed = std::min(int(undecodable.size()), MaxUndecodableListed);
    for (int i = 0; i < listed; ++i) {
        const int more = i + 1 == listed ? int(undecodable.size()) - listed : 0;
        const auto& [line, fault] = undecodable[std::size_t(i)];
        problem(line,
                (i == 0 ? QStringLiteral("the text is not UTF-8: %1%2; save the file as UTF-8")
                        : QStringLiteral("not UTF-8 either: %1%2"))
                    .arg(utf8_fault::describe(fault), andMore(more)),
                1 + more);
    }
    return text;
}

bool FileParser::textIsReadable(const std::vector<QStringView>& lines)
{
    int first = 0;
    char16_t what = 0;
    int more = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto bad = std::find_if(lines[i].begin(), lines[i].end(), [](QChar c) { return isControl(c.unicode()); });
        if (bad == lines[i].end())
            continue;
        if (first == 0) {
            first = int(i) + 1;
            what = bad->unicode();
        } else {
            ++more;
        }
    }
    if (first != 0)
        problem(first, QStringLiteral("%1%2").arg(controlName(what), andMore(more)), 1 + more);
    return first == 0;
}

void FileParser::take(QStringView line, int number)
{
    if (line.startsWith(u"@@")) {
        finishItem();
        finishOutsideText();
        inUnknown_ = false;
        directive(line.mid(2).trimmed(), number);
    } else if (inUnknown_) {
        return;
    } else if (inItem_) {
        if (keepItem_)
            itemLines_.append(line.toString());
    } else if (const QStringView text = line.trimmed(); !text.isEmpty() && !text.startsWith(u'#')) {
        if (outsideFirst_ == 0)
            outsideFirst_ = number;
        outsideLast_ = number;
    }
}

void FileParser::directive(QStringView line, int number)
{
    const qsizetype blank = line.indexOf(u' ');
    const QStringView keyword = blank < 0 ? line : line.left(blank);
    const QString rest = blank < 0 ? QString() : line.mid(blank + 1).trimmed().toString();
    if (keyword == u"course") {
        if (rest.isEmpty())
            problem(number, QStringLiteral("a course line needs the course's name after \"@@ course\""));
        else if (!bank_.course.isEmpty())
            problem(number, QStringLiteral("a second course line: the course is named \"%1\" already").arg(bank_.course));
        else if (slotsUsed_ > 0)
            problem(number, QStringLiteral("the course line must come before the bank's first slot"));
        else
            bank_.course = rest;
        return;
    }
    if (rest.isEmpty() && keyword == u"item")
        return newSlot(true, true, number + 1, number);
    if (rest.isEmpty() && keyword == u"empty")
        return newSlot(true, false, number, number);
    if (rest.isEmpty() && keyword == u"unassigned")
        return newSlot(false, false, number, number);
    inUnknown_ = true;
    problem(number, QStringLiteral("unknown line \"@@ %1\": a slot begins with \"@@ item\", \"@@ empty\" or \"@@ unassigned\"")
                        .arg(line));
}

void FileParser::newSlot(bool stores, bool item, int line, int atLine)
{
    ++slotsUsed_;
    inItem_ = item;
    keepItem_ = slotsUsed_ <= LastSlot;
    if (slotsUsed_ == LastSlot + 1)
        problem(atLine, QStringLiteral("slot %1 is past the bank's last slot, %2").arg(slotsUsed_).arg(LastSlot));
    if (keepItem_)
        bank_.bankSlots.push_back({stores, QString(), file_, line});
}

void FileParser::finishItem()
{
    if (!inItem_)
        return;
    inItem_ = false;
    while (!itemLines_.isEmpty() && itemLines_.constLast().isEmpty())
        itemLines_.removeLast();
    if (keepItem_)
        bank_.bankSlots.back().text = itemLines_.join(QStringLiteral("\r\n"));
    itemLines_.clear();
}

void FileParser::finishOutsideText()
{
    if (outsideFirst_ == 0)
        return;
    const QString lines = outsideFirst_ == outsideLast_ ? QString()
                                                        : QStringLiteral(" (lines %1 to %2)").arg(outsideFirst_).arg(outsideLast_);
    problem(outsideFirst_,
            QStringLiteral("text outside an item%1: an item's text follows a line \"@@ item\", and a comment begins "
                           "with #")
                .arg(lines));
    outsideFirst_ = 0;
}

// Problems in the order of the files and their lines; those about the bank
// as a whole last.
void sortProblems(Bank& bank, std::size_t from)
{
    QHash<QString, int> rank;
    for (int i = 0; i < bank.files.size(); ++i)
        rank.insert(bank.files[i], i);
    const auto key = [&](const Problem& problem) {
        return std::make_pair(rank.value(problem.file, int(bank.files.size())), problem.line);
    };
    std::stable_sort(bank.problems.begin() + std::ptrdiff_t(from), bank.problems.end(),
                     [&](const Problem& a, const Problem& b) { return key(a) < key(b); });
}

Bank build(const QString& path, const std::vector<std::pair<QString, QByteArray>>& files,
           const std::vector<Problem>& unread, const PictureCheck& pictures = {})
{
    Bank bank;
    bank.path = path;
    bank.problems = unread;
    bool incomplete = !unread.empty();
    int slotsUsed = 0;
    for (const auto& [name, bytes] : files) {
        bank.files.append(name);
        incomplete = !FileParser(bank, int(bank.files.size()) - 1, slotsUsed).parse(bytes) || incomplete;
    }
    bank.slotsUsed = slotsUsed;
    bank_check::check(bank);
    if (pictures)
        pictures(bank);
    sortProblems(bank, unread.size());
    // Where a file went unread, its headers may be what is missing.
    if (bank.assignments.empty() && !incomplete) {
        bank.problems.push_back({Problem::Error, path, 0,
                                 QStringLiteral("the bank holds no assignment header (an item that begins with the "
                                                "assignment's three digits and a point, as \"011.  `query 1\")")});
    }
    return bank;
}

Bank fromSources(const QString& path, const bank_source::Sources& sources, const PictureCheck& pictures = {})
{
    return build(path, sources.files, sources.problems, pictures);
}

}  // namespace

QString Problem::toString() const
{
    const QString where = line > 0 ? QStringLiteral("%1:%2:").arg(file).arg(line) : file + u':';
    return QStringLiteral("%1 %2: %3").arg(where, severity == Error ? QStringLiteral("error") : QStringLiteral("warning"), text);
}

bool Bank::usable() const
{
    return errorCount() == 0;
}

namespace {

int countOf(const std::vector<Problem>& problems, Problem::Severity severity)
{
    int count = 0;
    for (const Problem& problem : problems)
        count += problem.severity == severity ? problem.count : 0;
    return count;
}

}  // namespace

int Bank::errorCount() const
{
    return countOf(problems, Problem::Error);
}

int Bank::warningCount() const
{
    return countOf(problems, Problem::Warning);
}

Bank parse(const QString& path, const std::vector<std::pair<QString, QByteArray>>& files)
{
    return build(path, files, {});
}

Bank read(const QString& path, const PictureCheck& pictures)
{
    return fromSources(path, bank_source::readPath(path), pictures);
}

Bank readFiles(const QStringList& paths)
{
    return fromSources(paths.join(QStringLiteral(", ")), bank_source::readFiles(paths));
}

QString headerNumber(const QString& item)
{
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (item.size() >= 4 && digit(item[0]) && digit(item[1]) && digit(item[2]) && item[3] == u'.')
        return item.left(3);
    return {};
}

}  // namespace bank_file
