// Filing one touch message in the table, alone and followed by the frame's
// controller update: the work each touch message and frame cost together.
#include "bench_setup.h"

#include "controller/modes/play_mode.h"

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

// Play with count fingers resting at their places (filed once), and the two
// messages that move them back and forth, one per iteration.
struct TremblingHand {
    int32_t count = 0;
    TouchRecord messages[2][10] = {};
    int32_t which = 0;

    explicit TremblingHand(const benchmark::State& state)
        : count(static_cast<int32_t>(state.range(0))) {
        startPlay();
        makeMessage(messages[0], count, 0);
        makeMessage(messages[1], count, 1);
        fileTouchRecords(nullptr, messages[0], count);
    }
    const TouchRecord* next() {
        which ^= 1;
        return messages[which];
    }
};

void BM_FileTouchMessage(benchmark::State& state) {
    TremblingHand hand(state);
    for (auto _ : state) {
        fileTouchRecords(nullptr, hand.next(), hand.count);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * hand.count);
}
BENCHMARK(BM_FileTouchMessage)->Arg(1)->Arg(10);

// The same points filed without their debug lines, to tell the two costs
// apart.
void BM_FilePointsWithoutDebugLines(benchmark::State& state) {
    TremblingHand hand(state);
    for (auto _ : state) {
        const TouchRecord* message = hand.next();
        for (int32_t i = 0; i < hand.count; ++i) {
            processTouchPoint(nullptr, message[i]);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FilePointsWithoutDebugLines)->Arg(1)->Arg(10);

// One frame as the main loop sees it: a message of count points, then the
// update of the pads and the scratch.
void BM_FileMessageAndUpdate(benchmark::State& state) {
    TremblingHand hand(state);
    updatePlayMode();
    for (auto _ : state) {
        fileTouchRecords(nullptr, hand.next(), hand.count);
        updatePlayMode();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FileMessageAndUpdate)->Arg(1)->Arg(10);

} // namespace
