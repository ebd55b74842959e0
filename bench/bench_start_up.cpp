// From constructing the window to its first paint, against a bare window of
// the same size shown the same way, and against the window's Designer form
// alone (the same controls, none of the program's own work).
#include "bench_support.h"
#include "form_fixture.h"

#include <QWidget>

#include <benchmark/benchmark.h>

namespace {

void BM_StartUpDrillWindow(benchmark::State& state)
{
    double constructing = 0;
    double loading = 0;
    double painting = 0;
    for (auto _ : state) {
        FormFixture fixture;
        fixture.platform.answers = {QStringLiteral("A. Student"), QString(), QStringLiteral("11")};

        const auto start = bench::Clock::now();
        auto form = std::make_unique<MainForm>(fixture.platform);
        const auto constructed = bench::Clock::now();
        form->load();
        const auto loaded = bench::Clock::now();
        const bench::PaintCounter painted(form.get());
        form->show();
        form->ui.txt_question->setFocus();
        const bool shown = bench::waitForPaint(painted, 0);
        const auto end = bench::Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        constructing += std::chrono::duration<double>(constructed - start).count();
        loading += std::chrono::duration<double>(loaded - constructed).count();
        painting += std::chrono::duration<double>(end - loaded).count();

        if (!shown || form->hasEnded() || form->assignmentNumber != QStringLiteral("011")) {
            state.SkipWithError("the window did not start on assignment 011 and paint");
            break;
        }
        fixture.form = std::move(form);  // destroyed with the fixture, untimed
    }
    const auto perIteration = benchmark::Counter::kAvgIterations;
    state.counters["construct_ms"] = benchmark::Counter(constructing * 1e3, perIteration);
    state.counters["load_ms"] = benchmark::Counter(loading * 1e3, perIteration);
    state.counters["show_paint_ms"] = benchmark::Counter(painting * 1e3, perIteration);
}
BENCHMARK(BM_StartUpDrillWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StartUpBareWindow(benchmark::State& state)
{
    const QSize size = bench::drillWindowSize();
    for (auto _ : state) {
        const auto start = bench::Clock::now();
        auto window = std::make_unique<QWidget>();
        window->resize(size);
        const bool shown = bench::showAndWaitForFirstPaint(*window);
        state.SetIterationTime(bench::secondsSince(start));
        if (!shown) {
            state.SkipWithError("the bare window was not painted");
            break;
        }
    }
}
BENCHMARK(BM_StartUpBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StartUpFormOnly(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = bench::Clock::now();
        auto window = std::make_unique<QWidget>();
        Ui::MainForm ui;
        ui.setupUi(window.get());
        const bool shown = bench::showAndWaitForFirstPaint(*window);
        state.SetIterationTime(bench::secondsSince(start));
        if (!shown) {
            state.SkipWithError("the form was not painted");
            break;
        }
    }
}
BENCHMARK(BM_StartUpFormOnly)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
