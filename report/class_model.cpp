#include "report/class_model.h"

#include "platform/on_all_cores.h"
#include "platform/text_rules.h"
#include "report/item_order.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

namespace class_model {

using class_records::StudentFile;
using record_reader::Entry;
using record_reader::Kind;
using student_records::Record;

namespace {

// One student's records of one assignment, in time order.
struct Work {
    std::size_t student = 0;
    std::vector<const Record*> records;
};

struct AssignmentWork {
    QString number;
    QString header;
    std::vector<Work> work;  // in the order of the students
};

// Merges one student's files that hold records; the copies that no merged
// record shows keep only what the problems and the file lists need.
student_records::Merged mergeStudent(const std::vector<StudentFile*>& files)
{
    std::vector<const StudentFile*> reading(files.begin(), files.end());
    student_records::Merged merged = student_records::merge(reading);
    QSet<const Entry*> shown;
    for (const Record& record : merged.records)
        shown.insert(record.entry);
    for (StudentFile* file : files) {
        for (Entry& entry : file->records.entries) {
            if (!shown.contains(&entry)) {
                QString().swap(entry.item);
                QString().swap(entry.text);
            }
        }
    }
    return merged;
}

// The files of each student, in the order of their names; students in the
// order their first file is met.
std::vector<std::vector<std::size_t>> groupsOf(const std::vector<QString>& keys)
{
    QHash<QString, std::size_t> groupOf;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t f = 0; f < keys.size(); ++f) {
        auto found = groupOf.constFind(keys[f]);
        if (found == groupOf.constEnd()) {
            found = groupOf.insert(keys[f], groups.size());
            groups.emplace_back();
        }
        groups[*found].push_back(f);
    }
    return groups;
}

QString keyOf(const QString& studentKey, const QString& student)
{
    return studentKey.isEmpty() ? student : studentKey;
}

// The students, each with its files that hold records and its merged
// records; the files without records apart.
void gatherStudents(ClassModel& model, const std::vector<std::vector<std::size_t>>& groups, std::vector<student_records::Merged> merged)
{
    for (std::size_t g = 0; g < groups.size(); ++g) {
        Student student;
        for (const std::size_t f : groups[g]) {
            const StudentFile& file = model.source.files[f];
            if (file.holdsRecords())
                student.files.push_back(&file);
        }
        if (student.files.empty())
            continue;
        student.name = student.files.front()->student;
        student.id = student.files.front()->studentId;
        student.merged = std::move(merged[g]);
        model.students.push_back(std::move(student));
    }
    for (const StudentFile& file : model.source.files) {
        if (!file.holdsRecords())
            model.emptyFiles.push_back(&file);
    }
    std::stable_sort(model.students.begin(), model.students.end(), [](const Student& a, const Student& b) { return a.name < b.name; });
    for (Student& student : model.students) {
        for (const Record& record : student.merged.records) {
            ++(record.entry->kind == Kind::Response ? student.responses : student.notes);
            student.inSeveralFiles += record.copies.size() > 1 ? 1 : 0;
        }
        model.responses += student.responses;
        model.notes += student.notes;
        model.notInMaster += student.merged.notInMaster;
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

// Every student's work, assignment by assignment; an assignment that a
// student only opened gives work without records. A record that no opening
// places takes the assignment of the course that holds its item.
std::vector<AssignmentWork> workOf(const std::vector<Student>& students, const course_items::Course& course)
{
    std::vector<AssignmentWork> assignments;
    QHash<QString, std::size_t> assignmentOf;
    const auto assignmentFor = [&](const QString& number) -> AssignmentWork& {
        auto found = assignmentOf.constFind(number);
        if (found == assignmentOf.constEnd()) {
            found = assignmentOf.insert(number, assignments.size());
            assignments.push_back({number, QString(), {}});
        }
        return assignments[*found];
    };
    std::map<QString, std::size_t> workIndex;
    for (std::size_t s = 0; s < students.size(); ++s) {
        workIndex.clear();
        const auto workFor = [&](const QString& number) -> Work& {
            AssignmentWork& assignment = assignmentFor(number);
            if (assignment.work.empty() || assignment.work.back().student != s)
                assignment.work.push_back({s, {}});
            return assignment.work.back();
        };
        for (const auto& run : students[s].merged.runs) {
            AssignmentWork& assignment = assignmentFor(run.assignment);
            if (assignment.header.isEmpty())
                assignment.header = run.header;
            workFor(run.assignment);
        }
        for (const Record& record : students[s].merged.records) {
            const QString number = record.assignment.isEmpty() ? course.assignmentOf(record.entry->item) : record.assignment;
            workFor(number).records.push_back(&record);
        }
    }
    for (AssignmentWork& assignment : assignments) {
        if (const auto* known = course.find(assignment.number); known && assignment.header.isEmpty())
            assignment.header = known->header;
    }
    return assignments;
}

// The course's order first, then the order in which each student first met
// the items, merged.
std::vector<QString> itemsInOrder(const AssignmentWork& work, const course_items::Assignment* known)
{
    std::vector<std::vector<QString>> firstMet;
    if (known)
        firstMet.push_back(known->items);
    for (const Work& one : work.work) {
        std::vector<QString> items;
        QSet<QString> seen;
        for (const Record* record : one.records) {
            if (!seen.contains(record->entry->item)) {
                seen.insert(record->entry->item);
                items.push_back(record->entry->item);
            }
        }
        firstMet.push_back(std::move(items));
    }
    return item_order::merged(firstMet);
}

// Each self critique with the confidence before it in the same run of the
// program; a record that no opening places pairs with nothing.
void addCalibration(Assignment& assignment, Row& row, const std::vector<AnswerPlace>& places, const Work& work)
{
    std::map<int, std::vector<std::size_t>> byRun;
    for (std::size_t i = 0; i < work.records.size(); ++i) {
        const int run = work.records[i]->run;
        byRun[run < 0 ? -1 - int(i) : run].push_back(i);
    }
    for (const auto& [run, indices] : byRun) {
        std::vector<const Entry*> entries;
        for (const std::size_t i : indices)
            entries.push_back(work.records[i]->entry);
        const ratings::Pairing pairing = ratings::pair(entries);
        assignment.calibration.unpaired += pairing.unpaired;
        for (const auto& [c, s] : pairing.pairs) {
            const AnswerPlace confidencePlace = places[indices[c]];
            const AnswerPlace critiquePlace = places[indices[s]];
            assignment.items[confidencePlace.item].answers[confidencePlace.answer].partner = critiquePlace;
            assignment.items[critiquePlace.item].answers[critiquePlace.answer].partner = confidencePlace;
            if (!assignment.calibration.add(entries[c]->rating, entries[s]->rating))
                continue;
            const int confidence = *ratings::scaleValue(entries[c]->rating);
            const int selfCritique = *ratings::scaleValue(entries[s]->rating);
            row.shares.add(confidence, selfCritique);
            Item& item = assignment.items[confidencePlace.item];
            ++item.pairs;
            if (ratings::isConfident(confidence) && ratings::neededCritique(selfCritique)) {
                ++item.confidentCritiqued;
                item.misled.push_back(confidencePlace.answer);
            }
        }
    }
}

Row rowOf(Assignment& assignment, const Work& work, const QHash<QString, std::size_t>& itemOf)
{
    Row row;
    row.student = work.student;
    row.cells.resize(assignment.items.size());
    std::vector<qint64> stamps;
    std::vector<AnswerPlace> places;
    for (const Record* record : work.records) {
        const std::size_t i = itemOf.value(record->entry->item);
        Item& item = assignment.items[i];
        row.cells[i].answers.push_back(item.answers.size());
        places.push_back({i, item.answers.size()});
        item.answers.push_back({work.student, record, 0, std::nullopt});
        const bool response = record->entry->kind == Kind::Response;
        ++(response ? row.responses : row.notes);
        ++(response ? item.responses : item.notes);
        if (!row.first)
            row.first = record;
        row.last = record;
        if (record->stamp)
            stamps.push_back(*record->stamp);
    }
    for (std::size_t i = 0; i < assignment.items.size(); ++i) {
        const auto& answers = row.cells[i].answers;
        const bool responded = std::any_of(answers.begin(), answers.end(), [&](std::size_t a) {
            return assignment.items[i].answers[a].record->entry->kind == Kind::Response;
        });
        // Of the course's items; of every item shown when the course does
        // not hold the assignment.
        const bool counted = assignment.items[i].inCourse || assignment.courseItems == 0;
        row.answered += counted && responded ? 1 : 0;
    }
    row.secondsOnTask = class_records::timeOnTask(stamps);
    addCalibration(assignment, row, places, work);
    return row;
}

Assignment assignmentOf(const AssignmentWork& work, const course_items::Course& course)
{
    Assignment assignment;
    assignment.number = work.number;
    assignment.header = work.header;
    const course_items::Assignment* known = work.number.isEmpty() ? nullptr : course.find(work.number);
    QSet<QString> inCourse;
    if (known) {
        inCourse = QSet<QString>(known->items.begin(), known->items.end());
        assignment.courseItems = int(inCourse.size());
    }
    QHash<QString, std::size_t> itemOf;
    for (QString& text : itemsInOrder(work, known)) {
        itemOf.insert(text, assignment.items.size());
        Item& item = assignment.items.emplace_back();
        item.inCourse = inCourse.contains(text);
        item.text = std::move(text);
    }
    for (const Work& one : work.work) {
        assignment.rows.push_back(rowOf(assignment, one, itemOf));
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
        found.push_back({Problem::Unreadable, unread.name, unread.path, 0, QStringLiteral("cannot be read: %1").arg(unread.reason), QString()});
    for (const inputs::Warning& warning : model.source.warnings)
        found.push_back({Problem::Layout, warning.name.isEmpty() ? warning.path : warning.name, warning.path, 0, warning.message, QString()});
    for (const StudentFile& file : model.source.files) {
        for (const auto& stretch : file.records.unreadable) {
            const QString message = stretch.firstLine == stretch.lastLine
                ? QStringLiteral("line %1 belongs to no record").arg(stretch.firstLine)
                : QStringLiteral("lines %1 to %2 belong to no record").arg(stretch.firstLine).arg(stretch.lastLine);
            found.push_back({Problem::Unreadable, file.name, file.path, stretch.firstLine, message, stretch.excerpt});
        }
        for (const auto& opening : file.records.openings) {
            if (opening.cutShort)
                found.push_back({Problem::Unreadable, file.name, file.path, opening.line, QStringLiteral("the assignment opening here is cut short"), QString()});
        }
        for (const Entry& entry : file.records.entries) {
            if (entry.cutShort) {
                const QString what = entry.kind == Kind::Response ? QStringLiteral("response") : QStringLiteral("note");
                found.push_back({Problem::Unreadable, file.name, file.path, entry.line,
                                 QStringLiteral("the %1 here is cut short: its closing rule is missing").arg(what), QString()});
            }
        }
    }
    for (const Student& student : model.students) {
        for (const auto& missing : student.merged.missing) {
            const StudentFile& file = *student.files[missing.file];
            const QString master = student.files[*student.merged.master]->name;
            found.push_back({Problem::NotInMaster, file.name, file.path, missing.firstLine, missingMessage(missing, master), QString()});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Problem& a, const Problem& b) {
        return a.name != b.name ? a.name < b.name : a.line < b.line;
    });
    return found;
}

// Each student's figures over all assignments; the first and the last
// record in time order.
void addTotals(ClassModel& model)
{
    for (const Assignment& assignment : model.assignments) {
        for (const Row& row : assignment.rows) {
            Student& student = model.students[row.student];
            student.assignments.push_back(assignment.number);
            student.secondsOnTask += row.secondsOnTask;
            student.shares += row.shares;
        }
    }
    for (Student& student : model.students) {
        for (const Record& record : student.merged.records) {
            if (!record.stamp)
                continue;
            if (!student.first)
                student.first = &record;
            student.last = &record;
        }
    }
}

}  // namespace

qsizetype ClassModel::problemCount(Problem::Kind kind) const
{
    return std::count_if(problems.begin(), problems.end(), [&](const Problem& problem) { return problem.kind == kind; });
}

bool assignmentBefore(const QString& a, const QString& b)
{
    if (a.isEmpty() != b.isEmpty())
        return b.isEmpty();
    const double x = text_rules::leadingNumber(a);
    const double y = text_rules::leadingNumber(b);
    return x != y ? x < y : a < b;
}

namespace {

void complete(ClassModel& model, const course_items::Course& course)
{
    model.course = courseOf(model.source.files);
    // Each assignment is made on its own, on all cores: for a large class
    // the grid of each is a good part of the whole report.
    const std::vector<AssignmentWork> works = workOf(model.students, course);
    model.assignments.resize(works.size());
    forEachOnAllCores(works.size(), [&](std::size_t a) { model.assignments[a] = assignmentOf(works[a], course); });
    std::stable_sort(model.assignments.begin(), model.assignments.end(),
                     [](const Assignment& a, const Assignment& b) { return assignmentBefore(a.number, b.number); });
    addTotals(model);
    model.problems = problemsOf(model);
}

}  // namespace

ClassModel build(const inputs::Found& found, const course_items::Course& course)
{
    std::vector<QString> keys;
    for (const inputs::File& file : found.files)
        keys.push_back(keyOf(file.studentKey, file.student));
    const auto groups = groupsOf(keys);
    std::vector<std::optional<StudentFile>> read(found.files.size());
    std::vector<QString> failures(found.files.size());
    std::vector<student_records::Merged> merged(groups.size());
    forEachOnAllCores(groups.size(), [&](std::size_t g) {
        std::vector<StudentFile*> files;
        for (const std::size_t f : groups[g]) {
            read[f] = class_records::readFile(found.files[f], failures[f]);
            if (read[f] && read[f]->holdsRecords())
                files.push_back(&*read[f]);
        }
        merged[g] = mergeStudent(files);
    });

    ClassModel model;
    model.source.unread = found.unread;
    model.source.warnings = found.warnings;
    std::vector<std::optional<std::size_t>> placeOf(found.files.size());
    model.source.files.reserve(found.files.size());
    for (std::size_t f = 0; f < found.files.size(); ++f) {
        if (read[f]) {
            placeOf[f] = model.source.files.size();
            model.source.files.push_back(std::move(*read[f]));
        } else {
            model.source.unread.push_back({found.files[f].path, found.files[f].name, failures[f]});
        }
    }
    std::stable_sort(model.source.unread.begin(), model.source.unread.end(),
                     [](const inputs::Unread& a, const inputs::Unread& b) { return a.name < b.name; });
    std::vector<std::vector<std::size_t>> placed(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (const std::size_t f : groups[g]) {
            if (placeOf[f])
                placed[g].push_back(*placeOf[f]);
        }
    }
    gatherStudents(model, placed, std::move(merged));
    complete(model, course);
    return model;
}

ClassModel build(class_records::ClassRecords source, const course_items::Course& course)
{
    ClassModel model;
    model.source = std::move(source);
    std::vector<QString> keys;
    for (const StudentFile& file : model.source.files)
        keys.push_back(keyOf(file.studentKey, file.student));
    const auto groups = groupsOf(keys);
    std::vector<student_records::Merged> merged;
    for (const auto& group : groups) {
        std::vector<StudentFile*> files;
        for (const std::size_t f : group) {
            if (model.source.files[f].holdsRecords())
                files.push_back(&model.source.files[f]);
        }
        merged.push_back(mergeStudent(files));
    }
    gatherStudents(model, groups, std::move(merged));
    complete(model, course);
    return model;
}

}  // namespace class_model
