#include "support/fake_desktop.h"

#include "keyout/keyboard_output.h"
#include "keyout/sendinput_output.h"
#include "keyout/system_input.h"
#include "support/fake_platform.h"

#include <cstdio>

FakeDesktop fakeDesktop;

namespace {

bool onAnotherDesktop() {
    return fakeDesktop.desktop == InputDesktop::Locked ||
           fakeDesktop.desktop == InputDesktop::SecureDesktop;
}

// The virtual key of an event as Windows works it out: the numpad's keys by
// NumLock (VK_NUMPAD7 or VK_HOME, ...), any other scancode a stand-in of
// its own.
uint32_t virtualKeyOf(const SystemKeyEvent& e) {
    if ((e.flags & KeyEventScancode) == 0) {
        return e.virtualKey;
    }
    struct Numpad {
        uint16_t scan;
        uint8_t on;
        uint8_t off;
    };
    static constexpr Numpad Pad[] = {{0x47, 0x67, 0x24}, {0x48, 0x68, 0x26}, {0x49, 0x69, 0x21},
                                     {0x4B, 0x64, 0x25}, {0x4C, 0x65, 0x0C}, {0x4D, 0x66, 0x27},
                                     {0x4F, 0x61, 0x23}, {0x50, 0x62, 0x28}, {0x51, 0x63, 0x22},
                                     {0x52, 0x60, 0x2D}, {0x53, 0x6E, 0x2E}};
    for (const Numpad& key : Pad) {
        if (key.scan == e.scanCode && (e.flags & KeyEventExtended) == 0) {
            return fakeDesktop.numLock ? key.on : key.off;
        }
    }
    return 0x1000u | e.scanCode | ((e.flags & KeyEventExtended) != 0 ? 0x100u : 0u);
}

// SendInput leaves the last error alone when it inserts the events.
uint32_t sendToDesktop(const SystemKeyEvent* events, uint32_t count, uint32_t* error) {
    *error = 0;
    fakeDesktop.sent += static_cast<int32_t>(count);
    if (fakeDesktop.desktop == InputDesktop::Switching) {
        fakeDesktop.dropped += static_cast<int32_t>(count);
        return count;
    }
    if (onAnotherDesktop()) {
        fakeDesktop.refused += static_cast<int32_t>(count);
        *error = SystemErrorAccessDenied;
        return fakeDesktop.refusesWithZero ? 0 : count;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (fakeDesktop.elevatedForeground || fakePlatform.ownWindowInFront) {
            ++fakeDesktop.dropped;
            continue;
        }
        const SystemKeyEvent& e = events[i];
        const uint32_t key = e.scanCode | ((e.flags & KeyEventExtended) != 0 ? 0x100u : 0u);
        if ((e.flags & KeyEventUp) != 0) {
            fakeDesktop.gameHolds.erase(key);
            fakeDesktop.gameHoldsVirtual.erase(virtualKeyOf(e));
        } else {
            fakeDesktop.gameHolds.insert(key);
            fakeDesktop.gameHoldsVirtual.insert(virtualKeyOf(e));
        }
    }
    return count;
}

} // namespace

void installFakeDesktop() {
    fakeDesktop = FakeDesktop{};
    systemInput.send = sendToDesktop;
    systemInput.foregroundOutranksUs = [] { return fakeDesktop.seenElevated; };
    systemInput.foregroundKnown = [] { return !onAnotherDesktop(); };
    systemInput.numLockOn = [] { return fakeDesktop.numLock; };
    systemInput.hookKeyboard = [] { return fakeDesktop.hooked = true; };
    systemInput.unhookKeyboard = [] { fakeDesktop.hooked = false; };
    systemInput.foregroundProgram = [](char* out, size_t size) {
        const std::string& name = fakeDesktop.seenProgram;
        std::snprintf(out, size, "%s", name.size() < size ? name.c_str() : "");
    };
    systemInput.foregroundContentProgram = [](char* out, size_t size) {
        const std::string& name = fakeDesktop.foregroundContent;
        std::snprintf(out, size, "%s", name.size() < size ? name.c_str() : "");
    };
    systemInput.lookAtForeground = [] {
        const bool changed = fakeDesktop.foregroundProgram != fakeDesktop.seenProgram ||
                             fakeDesktop.elevatedForeground != fakeDesktop.seenElevated;
        fakeDesktop.seenProgram = fakeDesktop.foregroundProgram;
        fakeDesktop.seenElevated = fakeDesktop.elevatedForeground;
        return changed;
    };
}

void typeKey(uint16_t scan, bool up, bool extended) {
    const HookedKey key = {scan, (up ? HookedUp : 0u) | (extended ? HookedExtended : 0u), 0, 0};
    if (fakeDesktop.hooked) {
        queueHookedKey(key);
        if (keepHookedKey(key)) {
            return;
        }
    }
    ++fakeDesktop.keysTyped;
}

void foregroundEventDelivered() {
    fakeDesktop.seenProgram = fakeDesktop.foregroundProgram;
    fakeDesktop.seenElevated = fakeDesktop.elevatedForeground;
    foregroundChangeHeard();
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
