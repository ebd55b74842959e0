// Times the presses that write records, on the real record layer of the
// system it runs on: Enter Response (master and send file) and Save as Notes
// (all three), each pressed 100 times in a data folder under HOME. Prints
// the median milliseconds of a press of each: "response_ms 1.19".
#include "bench_support.h"
#include "form_fixture.h"

#include <QApplication>

#include <cstdio>
#include <vector>

namespace {

constexpr int Presses = 100;

// The median of the presses, or a negative value when a press wrote nothing.
double timePresses(bool note)
{
    FormFixture fixture;
    MainForm& form = fixture.start();
    form.guarded([&] { form.cmdNextQuestion_Click(); });
    const QString text = note ? QStringLiteral("Remember: the specific heat of water is 4186 J/(kg C).")
                              : QStringLiteral("Both reach 31.4 deg C; I set the sum of m c Delta T to zero.");
    const QString& grown = note ? form.notesFileName : form.sendFileName;
    std::vector<double> milliseconds;
    for (int i = 0; i < Presses; ++i) {
        fixture.typeAnswer(text);
        fixture.platform.answers = {QStringLiteral("3")};  // the rating, when the item asks for one
        const qint64 before = FormFixture::bytesOf(grown).size();
        const auto start = bench::Clock::now();
        form.guarded([&] { note ? form.cmd_save_as_notes_Click() : form.cmd_enter_response_Click(); });
        milliseconds.push_back(bench::secondsSince(start) * 1e3);
        if (form.hasEnded() || FormFixture::bytesOf(grown).size() <= before)
            return -1;
    }
    return bench::median(milliseconds);
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const double response = timePresses(false);
    const double notes = timePresses(true);
    if (response < 0 || notes < 0) {
        std::fprintf(stderr, "record_presses: a press wrote no record\n");
        return 1;
    }
    std::printf("response_ms %.3f\nnotes_ms %.3f\n", response, notes);
    return 0;
}
