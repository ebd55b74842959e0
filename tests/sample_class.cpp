#include "sample_class.h"

#include "send_file.h"

#include "bank/built_in_table.h"
#include "bank/opening_rules.h"
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
    explicit Session(quint32 seed) : random_(seed) {}

    void open(const QString& number, const Assignment& assignment, const QString& date, const QTime& time)
    {
        date_ = date;
        time_ = time;
        const QByteArray codeLine = opening_rules::makeCodeLine(19 + int(random_.bounded(10)),
                                                                [this] { return float(random_.generateDouble()); });
        file_.open(number, assignment.header, date, codeLine);
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
    const Assignment a11 = bankAssignment(QStringLiteral("011"));
    const Assignment a12 = bankAssignment(QStringLiteral("012"));
    const QString rod = a11.items.value(0);
    const QString rodAnswer = a11.items.value(1);
    const QString pane = a11.items.value(2);
    const QString paneAnswer = a11.items.value(3);
    const QString block = a12.items.value(0);
    const QString day1 = QStringLiteral("12-07-2026");
    const QString day2 = QStringLiteral("12-08-2026");

    // Five students' answers to the two questions of 011 and their
    // critiques of the worked answers; an empty text is an item skipped.
    const QStringList students = {QStringLiteral("ada"), QStringLiteral("ben"), QStringLiteral("chloe"),
                                  QStringLiteral("dmitri"), QStringLiteral("emma")};
    const QList<Answer> rodAnswers = {
        {QStringLiteral("(a) P = k A dT / L = 385 * 4.00e-4 * 100 / 1.20 = 12.8 W\r\n"
                        "(b) Q = 12.8 W * 600 s = 7.7 x 10^3 J, m = Q / L_f = 7.7e3 / 3.34e5 = 0.023 kg, about 23 g\r\n"
                        "(c) 50 deg C: the profile is linear, so the middle is halfway between the ends"),
         QStringLiteral("3")},
        {QStringLiteral("P = 385 * 4.00 * 100 / 1.20 = 1.28 x 10^5 W\r\n"
                        "That seems far too big for a rod in a bath of ice water. Not sure where I went wrong; (b) and (c) not done."),
         QStringLiteral("1")},
        {QStringLiteral("P = 12.8 W. Ice melted: 7.7 kJ / (334 kJ/kg) = 23 g. Middle: 50 deg C."), QStringLiteral("2")},
        {QStringLiteral("The middle must be < 100 deg C & > 0 deg C; with a uniform rod it is 50 deg C.\r\n"
                        "P = 12.8 W, m = 23 g"),
         QStringLiteral("2")},
        {QStringLiteral("(a) 12.8 W  (b) 23.1 g  (c) 50.0 \u00b0C\r\nI used \u0394T = 100 K, since a kelvin and a Celsius degree are the same size."),
         QStringLiteral("3")},
    };
    const QList<Answer> rodCritiques = {
        {QStringLiteral("OK"), QStringLiteral("3")},
        {QStringLiteral("My area was still in cm^2, so my rate came out 10^4 times too big. In SI units A = 4.00 x 10^-4 m^2 and P = 12.8 W."),
         QStringLiteral("2")},
        {QStringLiteral("At first I used the specific heat of water in (b). Only the latent heat counts while the bath stays at 0 deg C."),
         QStringLiteral("2")},
        {QStringLiteral("ok"), QStringLiteral("3")},
        {QStringLiteral("All three parts right. Treating the two halves as rods in series is a neat check of (c)."), QStringLiteral("3")},
    };
    const QList<Answer> paneAnswers = {
        {QStringLiteral("P = 0.80 * 1.50 * 4.0 / 0.005 = 960 W\r\nQ = 960 W * 86400 s = 8.3 x 10^7 J\r\nTwice as thick: 480 W"),
         QStringLiteral("3")},
        {QStringLiteral("P = 0.80 * 1.5 * 4 / 5 = 0.96 W"), QStringLiteral("1")},
        {QStringLiteral("960 W; 83 MJ in a day; 480 W for the thicker glass"), QStringLiteral("2")},
        {QString(), QString()},
        {QStringLiteral("(a) 9.6 x 10^2 W\r\n(b) 8.3 x 10^7 J\r\n(c) 4.8 x 10^2 W, since P is inversely proportional to the thickness"),
         QStringLiteral("3")},
    };
    const QList<Answer> paneCritiques = {
        {QStringLiteral("OK"), QStringLiteral("3")},
        {QStringLiteral("I forgot to turn 5.0 mm into 5.0 x 10^-3 m, so I was off by a factor of 1000."), QStringLiteral("2")},
        {QStringLiteral("ok"), QStringLiteral("3")},
        {QString(), QString()},
        {QStringLiteral("Surprising that the still air on each side takes most of the temperature drop."), QStringLiteral("3")},
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
        Session session(quint32(100 + s));
        if (s == 1)
            session.type("Sorry this is late, the lab ran over.\r\n\r\n");
        session.open(QStringLiteral("011"), a11, day1, QTime(14, 2 + 3 * s, 10 + 7 * s));
        const auto step = [&](int i, const QString& item, const Answer& answer, Rating rating) {
            if (answer.text.isEmpty())
                return;
            session.wait(pace[s][i] * 60 + 17 * s + 11 * i);
            session.respond(item, answer.text, rating, answer.rating);
        };
        step(0, rod, rodAnswers[s], Rating::Confidence);
        step(1, rodAnswer, rodCritiques[s], Rating::SelfCritique);
        if (s == 2) {
            session.wait(95);
            session.note(pane, QStringLiteral("Ask in class: why are the glass surfaces only 4 deg C apart when the room is at 20 deg C?"));
        }
        step(2, pane, paneAnswers[s], Rating::Confidence);
        step(3, paneAnswer, paneCritiques[s], Rating::SelfCritique);
        session.save(QStringLiteral("%1/%2/send_1207.txt").arg(folder, students[s]));
        keep(s, session);
    }

    const QList<std::pair<int, Answer>> blockAnswers = {
        {0, {QStringLiteral("225 J/C * (95 - T) = 1674 J/C * (T - 20), so T = 28.9 deg C\r\nQ = 225 J/C * 66.1 C = 1.49 x 10^4 J"),
             QStringLiteral("3")}},
        {4, {QStringLiteral("T \u2248 28.9 \u00b0C; Q \u2248 14.9 kJ, checked on the water side: 1674 \u00d7 8.9 \u2248 14.9 kJ"),
             QStringLiteral("2")}},
    };
    for (const auto& [s, answer] : blockAnswers) {
        Session session(quint32(200 + s));
        session.open(QStringLiteral("012"), a12, day2, QTime(9, 15 + 4 * s, 3));
        session.wait(8 * 60 + 20 * s);
        session.respond(block, answer.text, Rating::Confidence, answer.rating);
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
