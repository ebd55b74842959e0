// One tick of the "pend exp" timer (beep, circle, repaint): the first ticks of
// a fresh window against as many ticks after 10,000 circles.
#include "bench_support.h"
#include "form_fixture.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

// Both cases draw the same circles, so they repaint the same areas.
constexpr std::array<float, 8> radii = {0.05f, 0.93f, 0.41f, 0.67f, 0.18f, 0.82f, 0.29f, 0.55f};

void BM_TimerTick(benchmark::State& state)
{
    const int drawnBefore = int(state.range(0));
    FormFixture fixture;
    MainForm& form = fixture.start();
    if (form.hasEnded() || !bench::showAndWaitForFirstPaint(form)) {
        state.SkipWithError("the window did not start");
        return;
    }
    PictureBox* picture = form.ui.Picture1;
    const bench::PaintCounter picturePainted(picture);

    for (int i = 0; i < drawnBefore; ++i)
        form.tmr_pend_exp_Timer();
    bench::settle();

    int beepsExpected = fixture.platform.beeps;
    std::size_t next = 0;
    for (auto _ : state) {
        // The same untimed full repaint in both cases, so each tick starts alike.
        picture->update();
        bench::waitForPaint(picturePainted, picturePainted.count());
        fixture.platform.randomValues = {radii[next++ % radii.size()]};

        const int paintsBefore = picturePainted.count();
        const auto start = bench::Clock::now();
        form.guarded([&] { form.tmr_pend_exp_Timer(); });
        const bool repainted = bench::waitForPaint(picturePainted, paintsBefore);
        state.SetIterationTime(bench::secondsSince(start));

        if (!repainted || form.hasEnded() || fixture.platform.beeps != ++beepsExpected) {
            state.SkipWithError("the tick did not beep, draw and repaint");
            break;
        }
    }
}
// A fixed count, so the fresh window stays near no circles at all.
BENCHMARK(BM_TimerTick)->ArgName("circles")->Arg(0)->Arg(10000)->Iterations(500)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
