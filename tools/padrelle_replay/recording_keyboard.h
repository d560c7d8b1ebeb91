// The keyboard-filter driver of the replay: one keyboard that types the keys
// of the trace when key assignment waits for them, and a log of every stroke
// sent into it.
#pragma once

#include "replay_trace.h"

#include <cstdint>
#include <cstdio>

// The device number of the replay's one keyboard.
constexpr int32_t ReplayKeyboard = 1;

// Points the `interception` table at the recording driver. The captures
// take the `count` keys in order; after the last a wait finds no keyboard. Every
// stroke sent outside a capture is written to `out` as one line, with the
// pass number that `passNumber` gives at that moment. A timed wait with
// nothing to give lets its time pass through `idle`.
void installRecordingKeyboard(const TraceKey* keys, int32_t count, std::FILE* out,
                              int32_t (*passNumber)(), void (*idle)(uint32_t milliseconds));

// One stroke line without its newline: "3 make 2c", "7 break 1d e0".
void formatStroke(char* buffer, size_t size, int32_t pass, unsigned short code,
                  unsigned short state);
