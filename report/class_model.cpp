#include "report/class_model.h"

#include "platform/text_rules.h"
#include "report/item_order.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace class_model {

using class_records::StudentFile;
using record_reader::Entry;
using record_reader::Kind;
using student_records::Record;

namespace {

// One student's records of one assignment, in run order.
struct Run {
    std::size_t student = 0;
    std::vector<const Record*> records;
};

struct AssignmentRuns {
    QString number;
    QString header;
    std::vector<Run> runs;  // in the order of the students
};

void gatherStudents(ClassModel& model)
{
    QHash<QString, std::size_t> studentOf;
    for (const StudentFile& file : model.source.files) {
        if (!file.holdsRecords()) {
            model.emptyFiles.push_back(&file);
            continue;
        }
        auto found = studentOf.constFind(file.student);
        if (found == studentOf.constEnd()) {
            found = studentOf.insert(file.student, model.students.size());
            model.students.emplace_back().name = file.student;
        }
        model.students[*found].files.push_back(&file);
    }
    std::sort(model.students.begin(), model.students.end(), [](const Student& a, const Student& b) { return a.name < b.name; });
    for (Student& student : model.students) {
        student.merged = student_records::merge(student.files);
        for (const Record& record : student.merged.records) {
            ++(record.entry->kind == Kind::Response ? student.responses : student.notes);
            student.inSeveralFiles += record.copies.size() > 1 ? 1 : 0;
        }
        model.responses += student.responses;
        model.notes += student.notes;
    }
}

QString courseOf(const std::vector<StudentFile>& files)
{
    QHash<QString, int> counts;
    QString most;
    for (const StudentFile& file : files) {
        for (const auto& opening : file.records.openings) {
            if (opening.courseName.isEmpty())
                continue;
            const int count = ++counts[opening.courseName];
            if (count > counts.value(most))
                most = opening.courseName;
        }
    }
    return most;
}

// Every student's runs, assignment by assignment; an assignment that a
// student only opened gives a run without records.
std::vector<AssignmentRuns> runsOf(const std::vector<Student>& students)
{
    std::vector<AssignmentRuns> assignments;
    QHash<QString, std::size_t> assignmentOf;
    const auto assignmentFor = [&](const QString& number) -> AssignmentRuns& {
        auto found = assignmentOf.constFind(number);
        if (found == assignmentOf.constEnd()) {
            found = assignmentOf.insert(number, assignments.size());
            assignments.push_back({number, QString(), {}});
        }
        return assignments[*found];
    };
    const auto runFor = [](AssignmentRuns& assignment, std::size_t student) -> Run& {
        if (assignment.runs.empty() || assignment.runs.back().student != student)
            assignment.runs.push_back({student, {}});
        return assignment.runs.back();
    };
    for (std::size_t s = 0; s < students.size(); ++s) {
        for (const StudentFile* file : students[s].files) {
            for (const auto& opening : file->records.openings) {
                AssignmentRuns& assignment = assignmentFor(opening.assignmentNumber);
                if (assignment.header.isEmpty())
                    assignment.header = opening.headerLine;
                runFor(assignment, s);
            }
        }
        for (const Record& record : students[s].merged.records)
            runFor(assignmentFor(record.assignment), s).records.push_back(&record);
    }
    return assignments;
}

std::vector<QString> itemsInOrder(const AssignmentRuns& runs)
{
    std::vector<std::vector<QString>> firstMet;
    for (const Run& run : runs.runs) {
        std::vector<QString> items;
        QSet<QString> seen;
        for (const Record* record : run.records) {
            if (!seen.contains(record->entry->item)) {
                seen.insert(record->entry->item);
                items.push_back(record->entry->item);
            }
        }
        firstMet.push_back(std::move(items));
    }
    return item_order::merged(firstMet);
}

void addCalibration(Assignment& assignment, Row& row, const Run& run, const QHash<QString, std::size_t>& itemOf)
{
    std::vector<const Entry*> entries;
    entries.reserve(run.records.size());
    for (const Record* record : run.records)
        entries.push_back(record->entry);
    const ratings::Pairing pairing = ratings::pair(entries);
    assignment.calibration.unpaired += pairing.unpaired;
    for (const auto& [c, s] : pairing.pairs) {
        if (!assignment.calibration.add(entries[c]->rating, entries[s]->rating))
            continue;
        const int confidence = *ratings::scaleValue(entries[c]->rating);
        const int selfCritique = *ratings::scaleValue(entries[s]->rating);
        row.shares.add(confidence, selfCritique);
        Item& item = assignment.items[itemOf.value(entries[c]->item)];
        ++item.pairs;
        if (ratings::isConfident(confidence) && ratings::neededCritique(selfCritique))
            ++item.confidentCritiqued;
    }
}

Row rowOf(Assignment& assignment, const Run& run, const QHash<QString, std::size_t>& itemOf)
{
    Row row;
    row.student = run.student;
    row.cells.resize(assignment.items.size());
    std::vector<qint64> stamps;
    for (const Record* record : run.records) {
        const std::size_t i = itemOf.value(record->entry->item);
        Item& item = assignment.items[i];
        row.cells[i].answers.push_back(item.answers.size());
        item.answers.push_back({run.student, record, 0});
        const bool response = record->entry->kind == Kind::Response;
        ++(response ? row.responses : row.notes);
        ++(response ? item.responses : item.notes);
        if (!row.first)
            row.first = record;
        row.last = record;
        if (record->stamp)
            stamps.push_back(*record->stamp);
    }
    row.secondsOnTask = class_records::timeOnTask(stamps);
    addCalibration(assignment, row, run, itemOf);
    return row;
}

Assignment assignmentOf(const AssignmentRuns& runs)
{
    Assignment assignment;
    assignment.number = runs.number;
    assignment.header = runs.header;
    QHash<QString, std::size_t> itemOf;
    for (QString& text : itemsInOrder(runs)) {
        itemOf.insert(text, assignment.items.size());
        assignment.items.push_back({std::move(text), {}, 0, 0, {}, 0, 0});
    }
    for (const Run& run : runs.runs) {
        assignment.rows.push_back(rowOf(assignment, run, itemOf));
        const Row& row = assignment.rows.back();
        assignment.responses += row.responses;
        assignment.notes += row.notes;
        assignment.secondsOnTask += row.secondsOnTask;
    }
    int anchor = 0;
    for (Item& item : assignment.items) {
        std::vector<const Entry*> entries;
        for (Answer& answer : item.answers) {
            answer.anchor = ++anchor;
            entries.push_back(answer.record->entry);
        }
        item.spread = ratings::spread(entries);
    }
    return assignment;
}

QString missingMessage(const student_records::Missing& missing, const QString& masterName)
{
    if (missing.count == 1)
        return QStringLiteral("the record here is not in the student's master file %1").arg(masterName);
    return QStringLiteral("%1 records from here to line %2 are not in the student's master file %3")
        .arg(missing.count)
        .arg(missing.lastLine)
        .arg(masterName);
}

std::vector<Problem> problemsOf(const ClassModel& model)
{
    std::vector<Problem> found;
    for (const inputs::Unread& unread : model.source.unread)
        found.push_back({unread.name, unread.path, 0, QStringLiteral("cannot be read: %1").arg(unread.reason), QString()});
    for (const StudentFile& file : model.source.files) {
        for (const auto& stretch : file.records.unreadable) {
            const QString message = stretch.firstLine == stretch.lastLine
                ? QStringLiteral("line %1 belongs to no record").arg(stretch.firstLine)
                : QStringLiteral("lines %1 to %2 belong to no record").arg(stretch.firstLine).arg(stretch.lastLine);
            found.push_back({file.name, file.path, stretch.firstLine, message, stretch.excerpt});
        }
        for (const auto& opening : file.records.openings) {
            if (opening.cutShort)
                found.push_back({file.name, file.path, opening.line, QStringLiteral("the assignment opening here is cut short"), QString()});
        }
        for (const Entry& entry : file.records.entries) {
            if (entry.cutShort) {
                const QString what = entry.kind == Kind::Response ? QStringLiteral("response") : QStringLiteral("note");
                found.push_back({file.name, file.path, entry.line,
                                 QStringLiteral("the %1 here is cut short: its closing rule is missing").arg(what), QString()});
            }
        }
    }
    for (const Student& student : model.students) {
        for (const auto& missing : student.merged.missing) {
            const StudentFile& file = *student.files[missing.file];
            const QString master = student.files[*student.merged.master]->name;
            found.push_back({file.name, file.path, missing.firstLine, missingMessage(missing, master), QString()});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Problem& a, const Problem& b) {
        return a.name != b.name ? a.name < b.name : a.line < b.line;
    });
    return found;
}

// Each student's figures over all assignments; the first and the last
// record by their stamps, as assignments may interleave.
void addTotals(ClassModel& model)
{
    const auto earlier = [](const Record* a, const Record* b) { return a->stamp.value_or(0) < b->stamp.value_or(0); };
    for (const Assignment& assignment : model.assignments) {
        for (const Row& row : assignment.rows) {
            Student& student = model.students[row.student];
            student.assignments.push_back(assignment.number);
            student.secondsOnTask += row.secondsOnTask;
            student.shares += row.shares;
            if (row.first && (!student.first || earlier(row.first, student.first)))
                student.first = row.first;
            if (row.last && (!student.last || earlier(student.last, row.last)))
                student.last = row.last;
        }
    }
}

}  // namespace

bool assignmentBefore(const QString& a, const QString& b)
{
    if (a.isEmpty() != b.isEmpty())
        return b.isEmpty();
    const double x = text_rules::leadingNumber(a);
    const double y = text_rules::leadingNumber(b);
    return x != y ? x < y : a < b;
}

ClassModel build(class_records::ClassRecords source)
{
    ClassModel model;
    model.source = std::move(source);
    gatherStudents(model);
    model.course = courseOf(model.source.files);
    for (const AssignmentRuns& runs : runsOf(model.students))
        model.assignments.push_back(assignmentOf(runs));
    std::stable_sort(model.assignments.begin(), model.assignments.end(),
                     [](const Assignment& a, const Assignment& b) { return assignmentBefore(a.number, b.number); });
    addTotals(model);
    model.problems = problemsOf(model);
    return model;
}

}  // namespace class_model
