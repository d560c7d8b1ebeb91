#include "support/fake_interception.h"

#include "support/fake_platform.h"

#include <cstdio>
#include <cstring>

FakeInterception fakeInterception;
int fakeInterceptionContextObject = 0;

namespace {

InterceptionContext fakeCreate() {
    ++fakeInterception.creates;
    fakeInterception.calls.push_back("create");
    return fakeInterception.contextFails ? nullptr : &fakeInterceptionContextObject;
}

void fakeDestroy(InterceptionContext context) {
    ++fakeInterception.destroys;
    fakeInterception.destroyedContext = context;
    fakeInterception.calls.push_back("destroy");
}

int fakeIsKeyboard(InterceptionDevice device) {
    fakeInterception.calls.push_back("is_keyboard " + std::to_string(device));
    return device >= fakeInterception.firstKeyboard && device <= fakeInterception.lastKeyboard;
}

void fakeSetFilter(InterceptionContext, InterceptionPredicate predicate,
                   InterceptionFilter filter) {
    fakeInterception.calls.push_back("filter " + std::to_string(filter));
    fakeInterception.filters.push_back({predicate, filter});
    fakeInterception.filter = filter;
}

InterceptionDevice fakeWait(InterceptionContext) {
    ++fakeInterception.waits;
    fakeInterception.calls.push_back("wait");
    if (fakeInterception.onWait) {
        fakeInterception.onWait();
    }
    if (fakeInterception.waitResults.empty()) {
        return 0;
    }
    const InterceptionDevice device = fakeInterception.waitResults.front();
    fakeInterception.waitResults.pop_front();
    return device;
}

// A live driver blocks for the time when nothing is held back; an older
// library without its driver answers at once.
// Strokes the driver held back stay queued in it after the filter is cleared
// until they are received: a scripted stroke is there whatever the filter.
InterceptionDevice fakeTimedWait(InterceptionContext context, unsigned long milliseconds) {
    if ((fakeInterception.filter == 0 && fakeInterception.waitResults.empty()) ||
        fakeInterception.driverSilent) {
        fakeInterception.calls.push_back("timed_wait " + std::to_string(milliseconds));
        if (!fakeInterception.driverSilent) {
            fakePlatform.preciseUs += static_cast<uint64_t>(milliseconds) * 1000u;
        }
        return 0;
    }
    return fakeWait(context);
}

unsigned int fakeHardwareId(InterceptionContext, InterceptionDevice device, void* buffer,
                            unsigned int size) {
    fakeInterception.calls.push_back("hardware_id " + std::to_string(device));
    const bool has = device >= 0 && device < 32 && (fakeInterception.hardwareIds >> device) & 1u;
    if (!has || size < 8) {
        return 0;
    }
    std::memcpy(buffer, "HID\\KB\0", 8);
    return 8;
}

int fakeReceive(InterceptionContext, InterceptionDevice device, void* stroke, unsigned int) {
    ++fakeInterception.receives;
    fakeInterception.calls.push_back("receive " + std::to_string(device));
    if (fakeInterception.receiveResults.empty()) {
        return 0;
    }
    const FakeReceive next = fakeInterception.receiveResults.front();
    fakeInterception.receiveResults.pop_front();
    if (next.result > 0) {
        std::memcpy(stroke, &next.stroke, sizeof next.stroke);
    }
    return next.result;
}

int fakeSend(InterceptionContext, InterceptionDevice device, const void* stroke, unsigned int) {
    InterceptionKeyStroke key;
    std::memcpy(&key, stroke, sizeof key);
    if (fakeInterception.onSend && !fakeInterception.onSend(key)) {
        return 0;
    }
    fakeInterception.sent.push_back({device, key.code, key.state, key.information});
    char text[64];
    std::snprintf(text, sizeof text, "send %d 0x%04X 0x%04X", device, key.code, key.state);
    fakeInterception.calls.push_back(text);
    return 1;
}

} // namespace

void installFakeInterception() {
    fakeInterception = FakeInterception{};
    interception.create_context = fakeCreate;
    interception.destroy_context = fakeDestroy;
    interception.is_keyboard = fakeIsKeyboard;
    interception.set_filter = fakeSetFilter;
    interception.wait = fakeWait;
    interception.receive = fakeReceive;
    interception.send = fakeSend;
    interception.wait_with_timeout = fakeTimedWait;
    interception.get_hardware_id = fakeHardwareId;
}

void scriptStroke(InterceptionDevice device, unsigned short code, unsigned short state,
                  unsigned int information) {
    fakeInterception.waitResults.push_back(device);
    fakeInterception.receiveResults.push_back({1, {code, state, information}});
}

void scriptKeyPress(InterceptionDevice device, unsigned short code, unsigned short prefix,
                    unsigned int information) {
    scriptStroke(device, code, prefix, information);
    scriptStroke(device, code, static_cast<unsigned short>(prefix | KeyStateUp), information);
}

void scriptFailedReceive(InterceptionDevice device) {
    fakeInterception.waitResults.push_back(device);
    fakeInterception.receiveResults.push_back({0, {0, 0, 0}});
}

std::vector<std::string> sentStrokeNames() {
    std::vector<std::string> names;
    for (const FakeStroke& stroke : fakeInterception.sent) {
        char text[48];
        std::snprintf(text, sizeof text, "%s 0x%X%s%s", (stroke.state & 1) ? "break" : "make",
                      stroke.code, (stroke.state & 2) ? " e0" : "",
                      (stroke.state & 4) ? " e1" : "");
        names.push_back(text);
    }
    return names;
}
