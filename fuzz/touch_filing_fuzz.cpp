// Touch messages from arbitrary bytes, filed in the touch table and played
// through the pads and the scratch frame by frame. Besides any sanitizer
// report, a stroke out of turn, a flag that disagrees with the output side,
// both scratch keys held, or a key left held after the scene is left aborts.
//
// Input, step after step until the bytes run out:
//   control byte c
//     bits 0-3  number of points n of a message (0 to 15)
//     bit 4     no message in this step
//     bit 5     the client area changes: 4 bytes follow, width and height
//               as unsigned 16-bit (little-endian)
//     bit 6     a frame of play (the controller's update) after the message
//     bit 7     the scene is left (no key may stay held) and entered again
//   then, unless bit 4, n records of 14 bytes: x and y (signed 32-bit,
//   hundredths of a screen pixel), id (unsigned 32-bit), flags (16-bit).
// A record cut short ends the input. The scene is left at the end.
#include "controller/controller_scene.h"
#include "controller/program_state.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "graphics/bitmap_backend.h"
#include "support/fake_interception.h"
#include "support/fake_platform.h"
#include "support/held_key_mirror.h"
#include "touch/touch_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Bytes {
    const uint8_t* data;
    size_t size;

    bool take(void* out, size_t count) {
        if (size < count) {
            return false;
        }
        std::memcpy(out, data, count);
        data += count;
        size -= count;
        return true;
    }
};

void require(const std::string& broken, const char* when) {
    if (!broken.empty()) {
        std::fprintf(stderr, "%s: %s\n", when, broken.c_str());
        std::abort();
    }
}

void enterPlay() {
    enterController();
    controllerMode = Play;
}

// Program start with the fake platform and driver; nothing loads.
void startProgram() {
    installFakePlatform();
    resetProgramState();
    installFakeInterception();
}

bool readMessage(Bytes& in, int32_t count) {
    TouchRecord records[15];
    for (int32_t i = 0; i < count; ++i) {
        uint16_t flags = 0;
        if (!in.take(&records[i].x, 4) || !in.take(&records[i].y, 4) ||
            !in.take(&records[i].id, 4) || !in.take(&flags, 2)) {
            return false;
        }
        records[i].flags = flags;
    }
    fileTouchRecords(nullptr, records, count);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    startProgram();
    enterPlay();
    HeldKeyMirror mirror;
    Bytes in{data, size};
    uint8_t control = 0;
    while (in.take(&control, 1)) {
        if ((control & 0x20) != 0) {
            uint16_t size2[2];
            if (!in.take(size2, sizeof size2)) {
                break;
            }
            fakePlatform.client = WinRect{0, 0, size2[0], size2[1]};
        }
        if ((control & 0x10) == 0 && !readMessage(in, control & 0x0F)) {
            break;
        }
        if ((control & 0x40) != 0) {
            updateController();
            require(brokenPlayRule(mirror), "after a frame");
        }
        if ((control & 0x80) != 0) {
            leaveController();
            require(brokenReleaseRule(mirror), "after leaving");
            enterPlay();
        }
    }
    leaveController();
    require(brokenReleaseRule(mirror), "after leaving at the end");
    resetController();
    return 0;
}
