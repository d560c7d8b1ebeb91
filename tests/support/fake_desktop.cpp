#include "support/fake_desktop.h"

#include "keyout/keyboard_output.h"
#include "keyout/sendinput_output.h"
#include "keyout/system_input.h"

#include <cstdio>

FakeDesktop fakeDesktop;

namespace {

bool onAnotherDesktop() {
    return fakeDesktop.desktop == InputDesktop::Locked ||
           fakeDesktop.desktop == InputDesktop::SecureDesktop;
}

// SendInput leaves the last error alone when it inserts the events.
uint32_t sendToDesktop(const SystemKeyEvent* events, uint32_t count, uint32_t* error) {
    *error = 0;
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
    systemInput.foregroundKnown = [] { return !onAnotherDesktop(); };
    systemInput.foregroundProgram = [](char* out, size_t size) {
        const std::string& name = fakeDesktop.seenProgram;
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
