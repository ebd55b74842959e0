#pragma once

#include "report/class_records.h"
#include "report/course_items.h"
#include "report/ratings.h"
#include "report/student_records.h"

#include <QString>

#include <optional>
#include <vector>

// A whole class computed once: students with their merged records,
// assignments with their items, the grid of students by items, the
// calibration of the ratings, and what could not be read. The page, the
// assignment pages, the summary and the spreadsheet only render it.
namespace class_model {

struct Student {
    QString name;
    QString id;  // the number a course site's download gives, or empty
    std::vector<const class_records::StudentFile*> files;  // in the order of their names
    student_records::Merged merged;
    int responses = 0;
    int notes = 0;
    int inSeveralFiles = 0;  // records that more than one file holds
    // Over all assignments:
    std::vector<QString> assignments;  // in the order of their numbers
    const student_records::Record* first = nullptr;
    const student_records::Record* last = nullptr;
    qint64 secondsOnTask = 0;
    ratings::Shares shares;
};

// Where an answer stands: the item, and the answer among the item's.
struct AnswerPlace {
    std::size_t item = 0;
    std::size_t answer = 0;
};

// A student's record under an item of an assignment.
struct Answer {
    std::size_t student = 0;
    const student_records::Record* record = nullptr;
    int anchor = 0;  // numbers the answers of an assignment in page order
    // The other half of a confidence rating and the self critique paired
    // with it.
    std::optional<AnswerPlace> partner;
};

struct Item {
    QString text;  // as the bank holds it; empty for records before any item
    bool inCourse = false;  // the course holds it, so a student can be asked to answer it
    std::vector<Answer> answers;  // student by student, each in time order
    int responses = 0;
    int notes = 0;
    ratings::Spread spread;
    int pairs = 0;               // its confidence ratings paired with a self critique
    int confidentCritiqued = 0;  // of those, confident answers that needed critique
    std::vector<std::size_t> misled;  // those answers, in the order of the students
};

// A student's answers to one item: indices into the item's answers.
struct Cell {
    std::vector<std::size_t> answers;
};

// One student's work on one assignment.
struct Row {
    std::size_t student = 0;
    int responses = 0;
    int notes = 0;
    const student_records::Record* first = nullptr;
    const student_records::Record* last = nullptr;
    qint64 secondsOnTask = 0;
    std::vector<Cell> cells;  // one per item of the assignment
    ratings::Shares shares;
    int answered = 0;  // items answered with a response: of the course's, or of all when it lacks the assignment
};

struct Assignment {
    QString number;  // empty for records before any opening
    QString header;
    std::vector<Item> items;  // in the order of the bank, as the course or else the records show it
    int courseItems = 0;      // items of the course that a student can answer; 0 when the course does not hold it
    std::vector<Row> rows;    // in the order of the students' names
    ratings::Table calibration;
    int responses = 0;
    int notes = 0;
    qint64 secondsOnTask = 0;
};

// Whatever could not be read, or only in part (whole files and folders
// at line 0, lines that belong to no record, records cut short); what the
// layout of the files gave cause to warn about; records that a master file
// lacks.
struct Problem {
    enum Kind { Unreadable, Layout, NotInMaster };
    Kind kind = Unreadable;
    QString name;
    QString path;
    qsizetype line = 0;
    QString message;
    QString excerpt;
};

struct ClassModel {
    class_records::ClassRecords source;  // holds the records that the rest points to
    QString course;                      // the course that most openings name
    std::vector<Student> students;       // holding records, in the order of their names
    std::vector<Assignment> assignments; // in the order of their numbers; records of no assignment last
    std::vector<Problem> problems;       // file by file in the order of their names, each in line order
    std::vector<const class_records::StudentFile*> emptyFiles;
    qsizetype responses = 0;
    qsizetype notes = 0;
    qsizetype notInMaster = 0;  // records, each counted once

    qsizetype problemCount(Problem::Kind kind) const;

    ClassModel() = default;
    ClassModel(ClassModel&&) = default;
    ClassModel& operator=(ClassModel&&) = default;
    ClassModel(const ClassModel&) = delete;
    ClassModel& operator=(const ClassModel&) = delete;
};

// Reads the files found, student by student on all cores, and computes the
// class, with the course that tells each assignment's items. Each student's
// records are merged as soon as the student's files are read, and the
// copies that a merged record does not show give up their texts, so a
// class takes little more memory than one copy of its records.
ClassModel build(const inputs::Found& found, const course_items::Course& course);

// The same for files read already.
ClassModel build(class_records::ClassRecords source, const course_items::Course& course);

// Numbers first, in order of value, then other texts; empty last.
bool assignmentBefore(const QString& a, const QString& b);

}  // namespace class_model
