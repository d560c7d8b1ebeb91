#include "support/fake_desktop.h"

#include "keyout/keyboard_output.h"
#include "keyout/sendinput_output.h"
#include "keyout/system_input.h"

#include <cstdio>

FakeDesktop fakeDesktop;

namespace {

uint32_t sendToDesktop(const SystemKeyEvent* events, uint32_t count) {
    if (fakeDesktop.desktop == InputDesktop::Switching) {
        fakeDesktop.dropped += static_cast<int32_t>(count);
        return count;
    }
    if (fakeDesktop.desktop != InputDesktop::Default) {
        fakeDesktop.refused += static_cast<int32_t>(count);
        return 0;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (fakeDesktop.elevatedForeground) {
            ++fakeDesktop.dropped;
            continue;
        }
        const SystemKeyEvent& e = events[i];
        const uint32_t key = e.scanCode | ((e.flags & KeyEventExtended) != 0 ? 0x100u : 0u);
        if ((e.flags & KeyEventUp) != 0) {
            fakeDesktop.gameHolds.erase(key);
        } else {
            fakeDesktop.gameHolds.insert(key);
        }
    }
    return count;
}

} // namespace

void installFakeDesktop() {
    fakeDesktop = FakeDesktop{};
    systemInput.send = sendToDesktop;
    systemInput.foregroundOutranksUs = [] { return fakeDesktop.seenElevated; };
    systemInput.foregroundProgram = [](char* out, size_t size) {
        // GetForegroundWindow answers with the window in front now.
        const std::string& name = fakeDesktop.foregroundProgram;
        std::snprintf(out, size, "%s", name.size() < size ? name.c_str() : "");
    };
}

void foregroundEventDelivered() {
    fakeDesktop.seenElevated = fakeDesktop.elevatedForeground;
    inputMayReachTheGameAgain();
    noteForegroundChange();
}

void bringToFront(const std::string& program) {
    fakeDesktop.foregroundProgram = program;
    foregroundEventDelivered();
}

std::vector<std::string> gameHeldKeys() {
    std::vector<std::string> keys;
    for (uint32_t key : fakeDesktop.gameHolds) {
        char name[16];
        std::snprintf(name, sizeof name, "%s%02X", (key & 0x100u) != 0 ? "E0 " : "",
                      static_cast<unsigned>(key & 0xFFu));
        keys.push_back(name);
    }
    return keys;
}
