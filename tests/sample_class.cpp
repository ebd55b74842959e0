#include "sample_class.h"

#include "send_file.h"

#include "bank/bank_file.h"
#include "bank/built_in_table.h"
#include "bank/opening_rules.h"
#include "bank/reader_rules.h"
#include "records/record_lines.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QDate>
#include <QTime>

#include <optional>
#include <stdexcept>

namespace sample_class {
namespace {

enum class Rating { None, Confidence, SelfCritique };

struct Assignment {
    QString header;
    QStringList items;  // the non-empty items after the header, in order
};

// The example bank's assignment of this number: the items a student is
// shown, as the records name them (markers removed, routine lines left out).
Assignment exampleAssignment(const bank_file::Bank& bank, const QString& number)
{
    Assignment assignment;
    bool inside = false;
    for (const bank_file::Slot& slot : bank.bankSlots) {
        QString item = slot.text;
        const QString header = bank_file::headerNumber(item);
        if (!header.isEmpty() && inside)
            break;
        if (header == number) {
            inside = true;
            assignment.header = item;
            continue;
        }
        reader_rules::stripMarker(item);
        if (inside && !item.isEmpty() && !reader_rules::isRoutineLine(item))
            assignment.items.append(item);
    }
    if (!inside)
        throw std::runtime_error("no such assignment in the example bank");
    return assignment;
}

// The built-in bank's assignment that starts with this number.
Assignment bankAssignment(const QString& number)
{
    Assignment assignment;
    bool inside = false;
    for (std::size_t i = 0; i < builtInTableSize; ++i) {
        if (builtInTable[i].kind != BankEntry::Store || !*builtInTable[i].text)
            continue;
        const QString item = QString::fromUtf8(builtInTable[i].text);
        if (opening_rules::isHeaderLine(item, number)) {
            inside = true;
            assignment.header = item;
        } else if (inside && item.size() >= 4 && item[3] == u'.' && item.left(3).toInt() > 0) {
            break;
        } else if (inside) {
            assignment.items.append(item);
        }
    }
    if (!inside)
        throw std::runtime_error("no such assignment in the built-in bank");
    return assignment;
}

// One student's send file with the clock moving on as the student works.
class Session {
public:
    explicit Session(quint32 seed, const QString& course = bank_file::builtInCourse()) : random_(seed), course_(course) {}

    void open(const QString& number, const Assignment& assignment, const QString& date, const QTime& time)
    {
        date_ = date;
        time_ = time;
        const QByteArray codeLine = opening_rules::makeCodeLine(19 + int(random_.bounded(10)),
                                                                [this] { return float(random_.generateDouble()); });
        file_.open(number, assignment.header, date, codeLine, course_);
    }
    void wait(int seconds) { time_ = time_.addSecs(seconds); }
    void respond(const QString& item, const QString& text, Rating rating = Rating::None, const QString& value = QString())
    {
        std::optional<QString> ratingLine;
        if (rating == Rating::Confidence)
            ratingLine = record_lines::confidenceLine(value);
        else if (rating == Rating::SelfCritique)
            ratingLine = record_lines::selfCritiqueLine(value);
        setClock().respond(item, text, ratingLine);
    }
    void note(const QString& item, const QString& text) { setClock().note(item, text); }
    void type(const QByteArray& bytes) { file_.type(bytes); }
    qsizetype size() const { return file_.bytes().size(); }
    QRandomGenerator& random() { return random_; }
    void save(const QString& path) const { file_.save(path); }
    const SendFile& file() const { return file_; }

private:
    SendFile& setClock() { return file_.clock(date_, time_.toString(QStringLiteral("hh:mm:ss"))); }

    QRandomGenerator random_;
    QString course_;
    SendFile file_;
    QString date_;
    QTime time_;
};

struct Answer {
    QString text;
    QString rating;
};

}  // namespace

void writeShowcase(const QString& folder)
{
    const bank_file::Bank bank = bank_file::read(QStringLiteral(EXAMPLES_DIR "/graphs-and-rates.drillbank"));
    const Assignment a101 = exampleAssignment(bank, QStringLiteral("101"));
    const Assignment a102 = exampleAssignment(bank, QStringLiteral("102"));
    const QString cart = a101.items.value(0);
    const QString cartAnswer = a101.items.value(1);
    const QString quarter = a101.items.value(2);
    const QString quarterAnswer = a101.items.value(3);
    const QString heatPump = a102.items.value(0);
    const QString day1 = QStringLiteral("12-07-2026");
    const QString day2 = QStringLiteral("12-08-2026");

    // Five students' answers to the two questions on the velocity graph of
    // 101 and their critiques of the worked answers; an empty text is an
    // item skipped.
    const QStringList students = {QStringLiteral("ada"), QStringLiteral("ben"), QStringLiteral("chloe"),
                                  QStringLiteral("dmitri"), QStringLiteral("emma")};
    const QList<Answer> cartAnswers = {
        {QStringLiteral("(a) a = rise / run = (4.0 m/s) / (6.0 s) = 0.67 m/s^2\r\n"
                        "(b) the area under the line: 1/2 (6.0 s)(4.0 m/s) = 12 m\r\n"
                        "(c) the same: 2.0 m/s at the cross, and 12 m / 6.0 s = 2.0 m/s on average"),
         QStringLiteral("3")},
        {QStringLiteral("a = 4 / 6 = 0.67 m/s^2\r\n"
                        "d = v t = (4.0 m/s)(6.0 s) = 24 m. Not sure what (c) asks."),
         QStringLiteral("1")},
        {QStringLiteral("0.67 m/s^2 and 12 m. At the cross the velocity is the average velocity, 2.0 m/s."),
         QStringLiteral("2")},
        {QStringLiteral("a = 0.67 m/s^2 & d = 12 m (area < 4.0 m/s * 6.0 s)\r\n(c) equal"), QStringLiteral("2")},
        {QStringLiteral("(a) \u0394v / \u0394t = 4.0 / 6.0 = 0.667 m/s\u00b2  (b) 12.0 m  (c) both 2.0 m/s\r\n"
                        "With uniform acceleration the average velocity is (v\u2080 + v) / 2."),
         QStringLiteral("3")},
    };
    const QList<Answer> cartCritiques = {
        {QStringLiteral("OK"), QStringLiteral("3")},
        {QStringLiteral("I used the final velocity for all 6 s. The cart starts from rest, so the distance is the area "
                        "of the triangle, 12 m, not 24 m."),
         QStringLiteral("2")},
        {QStringLiteral("Right, but I did not check (b) with 1/2 a t^2 as the answer does."), QStringLiteral("2")},
        {QStringLiteral("ok"), QStringLiteral("3")},
        {QStringLiteral("All three right. Checking the area with 1/2 a t^2 is a good habit."), QStringLiteral("3")},
    };
    const QList<Answer> quarterAnswers = {
        {QStringLiteral("(a) 1/2 (3.0 s)(2.0 m/s) = 3.0 m, a quarter of 12 m\r\n"
                        "(b) sin(theta) = a / g = 0.67 / 9.80 = 0.068, theta = 3.9 degrees"),
         QStringLiteral("3")},
        {QStringLiteral("(a) 6 m, half of it, since half the time has gone by\r\n(b) theta = a / g = 0.068 degrees"),
         QStringLiteral("1")},
        {QStringLiteral("3.0 m, a quarter of the distance; 3.9 degrees"), QStringLiteral("2")},
        {QString(), QString()},
        {QStringLiteral("(a) 3.0 m = 12 m / 4: from rest, the distance grows as t\u00b2\r\n"
                        "(b) \u03b8 = arcsin(0.667 / 9.80) = 3.9\u00b0"),
         QStringLiteral("3")},
    };
    const QList<Answer> quarterCritiques = {
        {QStringLiteral("OK"), QStringLiteral("3")},
        {QStringLiteral("The cart is slower in the first half, so half the time is only a quarter of the distance. "
                        "And a / g is sin(theta), not the angle."),
         QStringLiteral("2")},
        {QStringLiteral("ok"), QStringLiteral("3")},
        {QString(), QString()},
        {QStringLiteral("Surprising how gentle a slope gives this motion: under 4 degrees."), QStringLiteral("3")},
    };
    // Minutes spent before each response, per student.
    const QList<QList<int>> pace = {{6, 3, 7, 2}, {9, 5, 11, 4}, {5, 4, 6, 3}, {4, 48, 0, 0}, {7, 3, 8, 3}};

    // Each student's master file and notes file hold the records of every
    // send file again.
    QList<QByteArray> masters(students.size());
    QList<QByteArray> notes(students.size());
    const auto keep = [&](int s, const Session& session) {
        masters[s] += session.file().masterBytes();
        notes[s] += session.file().notesBytes();
    };
    for (int s = 0; s < students.size(); ++s) {
        Session session(quint32(100 + s), bank.course);
        if (s == 1)
            session.type("Sorry this is late, the lab ran over.\r\n\r\n");
        session.open(QStringLiteral("101"), a101, day1, QTime(14, 2 + 3 * s, 10 + 7 * s));
        const auto step = [&](int i, const QString& item, const Answer& answer, Rating rating) {
            if (answer.text.isEmpty())
                return;
            session.wait(pace[s][i] * 60 + 17 * s + 11 * i);
            session.respond(item, answer.text, rating, answer.rating);
        };
        step(0, cart, cartAnswers[s], Rating::Confidence);
        step(1, cartAnswer, cartCritiques[s], Rating::SelfCritique);
        if (s == 2) {
            session.wait(95);
            session.note(quarter, QStringLiteral("Ask in class: does half the time give a quarter of the distance on "
                                                 "any incline, or only from rest?"));
        }
        step(2, quarter, quarterAnswers[s], Rating::Confidence);
        step(3, quarterAnswer, quarterCritiques[s], Rating::SelfCritique);
        session.save(QStringLiteral("%1/%2/send_1207.txt").arg(folder, students[s]));
        keep(s, session);
    }

    const QList<std::pair<int, Answer>> heatPumpAnswers = {
        {0, {QStringLiteral("(a) 300 / 4 = 75 dollars/month, 200 / 5 = 40 dollars/month\r\n"
                            "(b) 75 / 0.15 = 500 kWh a month, / 720 h = 0.69 kW; 40 / 0.15 = 267 kWh, 0.37 kW\r\n"
                            "(c) 500 / 9 = 55.6 dollars/month: the segments last 4 and 5 months"),
             QStringLiteral("3")}},
        {4, {QStringLiteral("(a) 75 and 40 $/month \u2713 (b) 0.69 kW and 0.37 kW (c) 55.6 $/month, a mean weighted "
                            "by time \u2260 57.5"),
             QStringLiteral("2")}},
    };
    for (const auto& [s, answer] : heatPumpAnswers) {
        Session session(quint32(200 + s), bank.course);
        session.open(QStringLiteral("102"), a102, day2, QTime(9, 15 + 4 * s, 3));
        session.wait(8 * 60 + 20 * s);
        session.respond(heatPump, answer.text, Rating::Confidence, answer.rating);
        session.save(QStringLiteral("%1/%2/send_1208.txt").arg(folder, students[s]));
        keep(s, session);
    }
    for (int s = 0; s < students.size(); ++s) {
        SendFile().type(masters[s]).save(QStringLiteral("%1/%2/masterFile.txt").arg(folder, students[s]));
        if (!notes[s].isEmpty())
            SendFile().type(notes[s]).save(QStringLiteral("%1/%2/notes_.txt").arg(folder, students[s]));
    }
    Session empty(300);
    empty.save(folder + QStringLiteral("/frank/send_1207.txt"));
}

namespace {

QList<std::pair<QString, Assignment>> allAssignments()
{
    QList<std::pair<QString, Assignment>> assignments;
    for (int n = 11; n <= 20; ++n) {
        const QString number = QStringLiteral("0%1").arg(n);
        assignments.append({number, bankAssignment(number)});
    }
    return assignments;
}

// Random text of up to `maxWords` words, with line breaks now and then.
QString randomText(QRandomGenerator& random, int maxWords)
{
    static const QString words = QStringLiteral(
        "the heat flow rate P = k A dT / L gives 12.8 W so the ice melts at 23 g in ten minutes and the middle of the "
        "rod is at 50 deg C; the pressure at depth h is p0 + rho g h = 1.01e5 + 1000 * 9.81 * 2.0 Pa, the wave speed "
        "v = f lambda \u0394T \u2248 4.0 K \u00b0C \u00d7 10^3 < > & \" ' ,");
    static const QStringList vocabulary = words.split(u' ');
    QStringList chosen;
    const int count = 1 + int(random.bounded(maxWords));
    for (int w = 0; w < count; ++w) {
        chosen.append(vocabulary[random.bounded(int(vocabulary.size()))]);
        if (random.bounded(12) == 0)
            chosen.last() += QStringLiteral("\r\n");
    }
    return chosen.join(u' ');
}

}  // namespace

void writeClass(const QString& folder, int students, qsizetype bytesPerStudent, quint32 seed)
{
    const auto assignments = allAssignments();
    for (int s = 0; s < students; ++s) {
        QRandomGenerator random(seed + quint32(s));
        const QString student = QStringLiteral("%1/student%2").arg(folder).arg(s + 1, 4, 10, QChar(u'0'));
        QByteArray master;
        QByteArray notes;
        int record = 0;
        // Half the bytes in the send files, half in the master file.
        const qsizetype perRun = bytesPerStudent / 2 / assignments.size();
        for (int a = 0; a < assignments.size(); ++a) {
            const auto& [number, assignment] = assignments[a];
            const QString date = QDate(2026, 12, 7).addDays(a).toString(QStringLiteral("MM-dd-yyyy"));
            QTime time(13 + int(random.bounded(6)), int(random.bounded(60)));
            SendFile day;
            const QByteArray codeLine = opening_rules::makeCodeLine(19 + int(random.bounded(10)), [&] { return float(random.generateDouble()); });
            day.open(number, assignment.header, date, codeLine);
            master += day.masterBytes();
            for (int item = 0; item < assignment.items.size() && day.bytes().size() < perRun; ++item) {
                time = time.addSecs(30 + int(random.bounded(400)));
                const qsizetype before = day.masterBytes().size();
                day.clock(date, time.toString(QStringLiteral("hh:mm:ss")));
                if (random.bounded(10) == 0) {
                    day.note(assignment.items[item], randomText(random, 40));
                } else {
                    day.respond(assignment.items[item], randomText(random, 120),
                                item % 2 ? record_lines::selfCritiqueLine(QString::number(random.bounded(4)))
                                         : record_lines::confidenceLine(QString::number(random.bounded(4))));
                }
                if (++record % 25 != 0)
                    master += day.masterBytes().mid(before);
            }
            notes += day.notesBytes();
            day.save(QStringLiteral("%1/send_%2.txt").arg(student, date.left(2) + date.mid(3, 2)));
        }
        SendFile().type(master).save(student + QStringLiteral("/masterFile.txt"));
        SendFile().type(notes).save(student + QStringLiteral("/notes_.txt"));
    }
}

void writeLarge(const QString& folder, int students, qsizetype bytesPerFile, quint32 seed)
{
    const auto assignments = allAssignments();
    for (int s = 0; s < students; ++s) {
        Session session(seed + quint32(s));
        QRandomGenerator& random = session.random();
        const auto text = [&](int maxWords) { return randomText(random, maxWords); };
        int a = int(random.bounded(int(assignments.size())));
        int item = 0;
        session.open(assignments[a].first, assignments[a].second, QStringLiteral("12-07-2026"), QTime(13, 0));
        while (session.size() < bytesPerFile) {
            const QStringList& items = assignments[a].second.items;
            if (item >= items.size()) {
                a = (a + 1) % int(assignments.size());
                item = 0;
                session.open(assignments[a].first, assignments[a].second, QStringLiteral("12-07-2026"), QTime(13, 0));
                continue;
            }
            session.wait(30 + int(random.bounded(400)));
            if (random.bounded(10) == 0)
                session.note(items[item], text(40));
            else
                session.respond(items[item], text(120), item % 2 ? Rating::SelfCritique : Rating::Confidence,
                                QString::number(random.bounded(4)));
            ++item;
        }
        session.save(QStringLiteral("%1/student%2/send_1207.txt").arg(folder).arg(s + 1, 3, 10, QChar(u'0')));
    }
}

}  // namespace sample_class
