#include "support/held_key_mirror.h"

#include "controller/controller_scene.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"
#include "keyout/keyboard_output.h"
#include "support/fake_interception.h"
#include "touch/touch_table.h"

#include <cstdio>

namespace {

// Whether a finger that is down lies on the region, read from the table.
bool fingerOn(const Region& r) {
    for (const TouchSlot& slot : TouchTable) {
        if (slot.down != 0 && r.left <= slot.x && slot.x <= r.right && r.top <= slot.y &&
            slot.y <= r.bottom) {
            return true;
        }
    }
    return false;
}

} // namespace

Region padRegion(int32_t pad) {
    const LayoutPad& p = controllerLayout.pads[pad];
    return {p.x, p.y, p.x + p.width, p.y + p.height};
}

Region discRegion(int32_t disc) {
    const LayoutDisc& d = controllerLayout.discs[disc];
    return {d.x - d.radius, d.y - d.radius, d.x + d.radius, d.y + d.radius};
}

uint32_t heldKeyName(int8_t scancode, unsigned short prefix) {
    const auto code = static_cast<uint16_t>(static_cast<int16_t>(scancode));
    return code | (static_cast<uint32_t>(prefix & KeyPrefixMask) << 16);
}

void HeldKeyMirror::absorb() {
    for (; seen < fakeInterception.sent.size(); ++seen) {
        const FakeStroke& s = fakeInterception.sent[seen];
        const uint32_t key = s.code | (static_cast<uint32_t>(s.state & KeyPrefixMask) << 16);
        const bool make = (s.state & KeyStateUp) == 0;
        bool& isHeld = held[key];
        if (make == isHeld && fault.empty()) {
            char text[96];
            std::snprintf(text, sizeof text, "stroke %zu: %s of key 0x%X out of turn", seen,
                          make ? "make" : "break", key);
            fault = text;
        }
        isHeld = make;
    }
}

bool HeldKeyMirror::isHeld(int8_t scancode, unsigned short prefix) const {
    const auto found = held.find(heldKeyName(scancode, prefix));
    return found != held.end() && found->second;
}

int32_t HeldKeyMirror::heldCount() const {
    int32_t count = 0;
    for (const auto& entry : held) {
        count += entry.second ? 1 : 0;
    }
    return count;
}

std::string brokenPlayRule(HeldKeyMirror& mirror) {
    mirror.absorb();
    if (!mirror.fault.empty()) {
        return mirror.fault;
    }
    int32_t expectedHeld = 0;
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
        const bool held = mirror.isHeld(KeyScancodes[i], KeyPrefixes[i]);
        if (PadPressed[i] > 1 || (PadPressed[i] != 0) != held) {
            return "pad " + std::to_string(i) + " flag " + std::to_string(PadPressed[i]) +
                   " but its key " + (held ? "held" : "not held");
        }
        if ((PadPressed[i] != 0) != fingerOn(padRegion(i))) {
            return "pad " + std::to_string(i) + " flag does not follow the fingers";
        }
        expectedHeld += PadPressed[i];
    }
    for (int32_t d = 0; d < controllerLayout.discCount; ++d) {
        bool scratchHeld[ScratchKeyCount];
        for (int32_t k = 0; k < ScratchKeyCount; ++k) {
            const int32_t key = d * ScratchKeyCount + k;
            scratchHeld[k] = mirror.isHeld(ScratchScancodes[key], ScratchPrefixes[key]);
            if ((ScratchTrackers[d].keyHeld[k] != 0) != scratchHeld[k]) {
                return "scratch key " + std::to_string(key) + " flag and output disagree";
            }
            expectedHeld += scratchHeld[k] ? 1 : 0;
        }
        if (scratchHeld[0] && scratchHeld[1]) {
            return "both keys of disc " + std::to_string(d) + " held";
        }
        if (!fingerOn(discRegion(d)) && (scratchHeld[0] || scratchHeld[1])) {
            return "scratch key held with no finger on disc " + std::to_string(d);
        }
    }
    if (mirror.heldCount() != expectedHeld) {
        return "a key is held that no pad or scratch flag accounts for";
    }
    return "";
}

std::string brokenReleaseRule(HeldKeyMirror& mirror) {
    mirror.absorb();
    if (!mirror.fault.empty()) {
        return mirror.fault;
    }
    if (mirror.heldCount() != 0) {
        return std::to_string(mirror.heldCount()) + " key(s) held";
    }
    return "";
}
