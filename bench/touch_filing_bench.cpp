// Filing one touch message in the table, alone and followed by the frame's
// controller update: the work each touch message and frame cost together.
#include "bench_setup.h"

#include "controller/play_mode.h"

#include <benchmark/benchmark.h>

namespace {

// A move record for each of the first count fingers, at its place; every
// other message nudges them one pixel, as a trembling hand does.
void makeMessage(TouchRecord* records, int32_t count, int32_t nudge) {
    for (int32_t finger = 0; finger < count; ++finger) {
        int32_t x = 0;
        int32_t y = 0;
        fingerPlace(finger, &x, &y);
        records[finger] = {(x + nudge) * 100 + 37, (y + nudge) * 100 + 59,
                           static_cast<uint32_t>(finger + 1), TouchFlagMove};
    }
}

void BM_FileTouchMessage(benchmark::State& state) {
    startPlay();
    const auto count = static_cast<int32_t>(state.range(0));
    TouchRecord messages[2][10];
    makeMessage(messages[0], count, 0);
    makeMessage(messages[1], count, 1);
    fileTouchRecords(nullptr, messages[0], count);
    int32_t which = 0;
    for (auto _ : state) {
        fileTouchRecords(nullptr, messages[which], count);
        which ^= 1;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_FileTouchMessage)->Arg(1)->Arg(10);

// The same points filed without their debug lines, to tell the two costs
// apart.
void BM_FilePointsWithoutDebugLines(benchmark::State& state) {
    startPlay();
    const auto count = static_cast<int32_t>(state.range(0));
    TouchRecord messages[2][10];
    makeMessage(messages[0], count, 0);
    makeMessage(messages[1], count, 1);
    fileTouchRecords(nullptr, messages[0], count);
    int32_t which = 0;
    for (auto _ : state) {
        for (int32_t i = 0; i < count; ++i) {
            processTouchPoint(nullptr, messages[which][i]);
        }
        which ^= 1;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FilePointsWithoutDebugLines)->Arg(1)->Arg(10);

// One frame as the main loop sees it: a message of count points, then the
// update of the pads and the scratch.
void BM_FileMessageAndUpdate(benchmark::State& state) {
    startPlay();
    const auto count = static_cast<int32_t>(state.range(0));
    TouchRecord messages[2][10];
    makeMessage(messages[0], count, 0);
    makeMessage(messages[1], count, 1);
    fileTouchRecords(nullptr, messages[0], count);
    updatePlayMode();
    int32_t which = 0;
    for (auto _ : state) {
        fileTouchRecords(nullptr, messages[which], count);
        updatePlayMode();
        which ^= 1;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FileMessageAndUpdate)->Arg(1)->Arg(10);

} // namespace
