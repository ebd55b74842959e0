// One press of "Next Question / Answer", repaint included, over the whole of
// the longest assignment; and the loading of the built-in question bank.
#include "bench_support.h"
#include "form_fixture.h"

#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

void BM_StepThroughAssignment017(benchmark::State& state)
{
    double slowestPress = 0;
    int presses = 0;
    for (auto _ : state) {
        FormFixture fixture;
        MainForm& form = fixture.start({QStringLiteral("A. Student"), QString(), QStringLiteral("17")});
        if (form.hasEnded() || !bench::showAndWaitForFirstPaint(form)) {
            state.SkipWithError("assignment 017 did not open");
            break;
        }
        const bench::PaintCounter boxPainted(form.ui.txt_question->viewport());

        double walk = 0;
        presses = 0;
        bool repainted = true;
        // Reaching the next assignment's header ends the program.
        while (!form.hasEnded()) {
            const int paintsBefore = boxPainted.count();
            const auto start = bench::Clock::now();
            form.guarded([&] { form.cmdNextQuestion_Click(); });
            if (!form.hasEnded())
                repainted = bench::waitForPaint(boxPainted, paintsBefore) && repainted;
            const double press = bench::secondsSince(start);
            walk += press;
            slowestPress = std::max(slowestPress, press);
            ++presses;
        }
        state.SetIterationTime(walk);
        const bool reached018 = form.QuestionBank.at(form.lineIndex).startsWith(QStringLiteral("018"));
        if (!repainted || form.exitStatus() != 0 || !reached018) {
            state.SkipWithError("the walk through 017 did not repaint at every press and end at 018");
            break;
        }
    }
    state.counters["presses"] = presses;
    state.counters["slowest_press_ms"] = slowestPress * 1e3;
}
BENCHMARK(BM_StepThroughAssignment017)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LoadQuestionBank(benchmark::State& state)
{
    FormFixture fixture;
    MainForm& form = fixture.start();
    for (auto _ : state) {
        // A fresh bank, loaded from slot 1 as at start-up.
        form.QuestionBank.clear();
        form.lineIndex = 0;
        const auto start = bench::Clock::now();
        form.loadQuestionBank();
        state.SetIterationTime(bench::secondsSince(start));
    }
    if (!form.QuestionBank.at(1).startsWith(QStringLiteral("011")))
        state.SkipWithError("the bank did not load");
}
BENCHMARK(BM_LoadQuestionBank)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
