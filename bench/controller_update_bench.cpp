// The per-frame controller update (pads, then scratch) with fingers resting
// or turning on the controller.
#include "bench_setup.h"

#include "controller/controller_scene.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

void placeFingers(int32_t count) {
    for (int32_t finger = 0; finger < count; ++finger) {
        int32_t x = 0;
        int32_t y = 0;
        fingerPlace(finger, &x, &y);
        putFingerDown(static_cast<uint32_t>(finger + 1), x, y);
    }
}

// The default layout; the largest, double play (sixteen controls, two discs).
const char* const Layouts[2] = {nullptr, "double"};

// Fingers at rest: the hit queries every frame, no stroke after the first.
void BM_UpdateWithFingersResting(benchmark::State& state) {
    startPlay(Layouts[state.range(1)]);
    placeFingers(static_cast<int32_t>(state.range(0)));
    updatePlayMode(); // the make strokes go out here, not in the loop
    strokesSent = 0;
    for (auto _ : state) {
        updatePlayMode();
        benchmark::ClobberMemory();
    }
    state.counters["strokes"] =
        benchmark::Counter(static_cast<double>(strokesSent), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_UpdateWithFingersResting)->ArgsProduct({{0, 1, 5, 10}, {0, 1}});

// One finger sweeping the disc back and forth, the others on the pads: the
// scratch moves its anchor and both mark ends nearly every frame.
void BM_UpdateWhileTurningTheDisc(benchmark::State& state) {
    startPlay(Layouts[state.range(1)]);
    const LayoutDisc& disc = controllerLayout.discs[0];
    placeFingers(static_cast<int32_t>(state.range(0)));
    constexpr int32_t Steps = 256;
    int32_t xs[Steps];
    int32_t ys[Steps];
    for (int32_t i = 0; i < Steps; ++i) {
        // Up the disc and back down: one reversal at each end of the sweep.
        const int32_t t = i < Steps / 2 ? i : Steps - i;
        const double a = -1.2 + 4.8 * t / Steps;
        const double r = disc.radius * 300.0 / 463.0;
        xs[i] = disc.x + static_cast<int32_t>(r * std::cos(a));
        ys[i] = disc.y + static_cast<int32_t>(r * std::sin(a));
    }
    updatePlayMode();
    strokesSent = 0;
    int32_t step = 0;
    for (auto _ : state) {
        TouchTable[0].x = xs[step];
        TouchTable[0].y = ys[step];
        step = (step + 1) % Steps;
        updatePlayMode();
        benchmark::ClobberMemory();
    }
    state.counters["strokes"] =
        benchmark::Counter(static_cast<double>(strokesSent), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_UpdateWhileTurningTheDisc)->ArgsProduct({{1, 10}, {0, 1}});

} // namespace
