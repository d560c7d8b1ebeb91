// Which keyboard output is opened and why, and the strokes each one sends.
#include "base/health.h"
#include "keyout/interception_output.h"
#include "keyout/sendinput_output.h"
#include "support/fake_desktop.h"
#include "support/fake_interception.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<SystemKeyEvent> injected;
uint32_t systemTakes = 1000; // how many events SendInput takes in a call

class KeyoutOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        installFakePlatform();
        resetHealth();
        resetKeyboardOutput();
        installFakeInterception();
        injected.clear();
        systemTakes = 1000;
        systemInput.send = [](const SystemKeyEvent* events, uint32_t count, uint32_t* error) {
            *error = 0;
            const uint32_t taken = count < systemTakes ? count : systemTakes;
            injected.insert(injected.end(), events, events + taken);
            return taken;
        };
    }
    void TearDown() override {
        resetKeyboardOutput();
        resetSystemInput();
        interception = InterceptionApi{};
        resetPlatform();
    }
    static std::string notice() {
        char text[256];
        describeKeyboardOutput(text, sizeof text);
        return text;
    }
};

TEST_F(KeyoutOutputTest, TheDriverWhenItCanBeUsedElseSendInputWithTheReason) {
    const struct {
        const char* name;
        std::function<void()> arrange;
        OutputChoice choice;
        bool opens;
        OutputInUse output;
        const char* noticePart;
    } cases[] = {
        {"driver", [] {}, OutputAuto, true, DriverOutput,
         "through the Interception driver (keyboard 1)"},
        {"no library", [] { interception = InterceptionApi{}; }, OutputAuto, true, SendInputOutput,
         "SendInput: no interception.dll beside padrelle.exe"},
        {"half a library", [] { interception.send = nullptr; }, OutputAuto, true, SendInputOutput,
         "lacks interception_send"},
        {"no wait", [] { interception.wait = nullptr; }, OutputAuto, true, SendInputOutput,
         "lacks interception_wait"},
        {"no context", [] { interception.create_context = nullptr; }, OutputAuto, true,
         SendInputOutput, "lacks interception_create_context"},
        {"no driver", [] { fakeInterception.contextFails = true; }, OutputAuto, true,
         SendInputOutput, "driver is not installed"},
        {"an older library without its driver", [] { fakeInterception.driverSilent = true; },
         OutputAuto, true, SendInputOutput, "driver is not installed"},
        {"no keyboard", [] { fakeInterception.hardwareIds = 0; }, OutputAuto, true, SendInputOutput,
         "no keyboard is attached"},
        {"SendInput asked for", [] {}, OutputSendInput, true, SendInputOutput,
         "SendInput, as chosen (--output sendinput"},
        {"the driver asked for", [] {}, OutputInterception, true, DriverOutput, "keyboard 1"},
        {"the driver asked for, none there", [] { fakeInterception.contextFails = true; },
         OutputInterception, false, NoOutput, "no keys go out: the Interception driver"},
    };
    for (const auto& c : cases) {
        resetKeyboardOutput();
        installFakeInterception();
        c.arrange();
        EXPECT_EQ(openKeyboardOutput(c.choice), c.opens) << c.name;
        EXPECT_EQ(outputInUse, c.output) << c.name;
        EXPECT_NE(notice().find(c.noticePart), std::string::npos) << c.name << ": " << notice();
        if (c.output != DriverOutput) {
            // Nothing of the driver is left open.
            EXPECT_EQ(interceptionContext, nullptr) << c.name;
            EXPECT_LE(fakeInterception.creates - fakeInterception.destroys,
                      fakeInterception.contextFails ? 1 : 0)
                << c.name;
        }
        EXPECT_TRUE(openKeyboardOutput(OutputAuto) || !c.opens) << c.name; // open already
    }
}

TEST_F(KeyoutOutputTest, TheDriverSendsIntoTheFirstKeyboardThatIsPluggedIn) {
    fakeInterception.hardwareIds = 1u << 4;
    ASSERT_TRUE(openKeyboardOutput());
    EXPECT_EQ(keyboardDevice, 4);
    // A library that cannot tell takes the first keyboard number, and one
    // without a timed wait cannot be asked whether its driver answers.
    resetKeyboardOutput();
    installFakeInterception();
    fakeInterception.firstKeyboard = 3;
    fakeInterception.driverSilent = true;
    interception.get_hardware_id = nullptr;
    interception.wait_with_timeout = nullptr;
    ASSERT_TRUE(openKeyboardOutput());
    EXPECT_EQ(keyboardDevice, 3);
    EXPECT_EQ(interceptionContext, &fakeInterceptionContextObject);
}

TEST_F(KeyoutOutputTest, DriverStrokes) {
    ASSERT_TRUE(openKeyboardOutput());
    const struct {
        int8_t scancode;
        int32_t down;
        unsigned short prefix;
        unsigned short code;
        unsigned short state;
    } cases[] = {
        {0x2C, 1, 0, 0x2C, 0x00},
        {0x2C, 0, 0, 0x2C, 0x01},
        {0x2C, 7, 0, 0x2C, 0x00},
        // A byte of 0x80 or more goes out widened with its sign.
        {static_cast<int8_t>(0x80), 1, 0, 0xFF80, 0x00},
        {static_cast<int8_t>(0xE0), 0, 0, 0xFFE0, 0x01},
        {0x1D, 1, KeyStateE0, 0x1D, 0x02},
        {0x1D, 0, KeyStateE0, 0x1D, 0x03},
        {0x1D, 1, KeyStateE1, 0x1D, 0x04},
        {0x1D, 0, 0xFFF8, 0x1D, 0x01}, // no bits beyond the prefixes get through
    };
    for (const auto& c : cases) {
        fakeInterception.sent.clear();
        sendKey(c.scancode, c.down, c.prefix);
        ASSERT_EQ(fakeInterception.sent.size(), 1u);
        EXPECT_EQ(fakeInterception.sent[0].code, c.code);
        EXPECT_EQ(fakeInterception.sent[0].state, c.state);
        EXPECT_EQ(fakeInterception.sent[0].device, 1);
    }
    EXPECT_EQ(healthFigures().strokesLost, 0);
}

TEST_F(KeyoutOutputTest, SendInputStrokes) {
    ASSERT_TRUE(openKeyboardOutput(OutputSendInput));
    const struct {
        int8_t scancode;
        int32_t down;
        unsigned short prefix;
        bool sent;
        SystemKeyEvent event;
    } cases[] = {
        {0x2C, 1, 0, true, {0, 0x2C, KeyEventScancode}},
        {0x2C, 0, 0, true, {0, 0x2C, KeyEventScancode | KeyEventUp}},
        {0x4D, 1, KeyStateE0, true, {0, 0x4D, KeyEventScancode | KeyEventExtended}},
        {0x4D, 0, KeyStateE0, true, {0, 0x4D, KeyEventScancode | KeyEventExtended | KeyEventUp}},
        {static_cast<int8_t>(0x80), 1, 0, true, {0, 0x80, KeyEventScancode}},
        // Pause (E1 1D) goes by its virtual key; no other E1 key can be sent.
        {0x1D, 1, KeyStateE1, true, {VirtualKeyPause, 0, 0}},
        {0x1D, 0, KeyStateE1, true, {VirtualKeyPause, 0, KeyEventUp}},
        {0x45, 1, KeyStateE1, false, {}},
    };
    int32_t lost = 0;
    for (const auto& c : cases) {
        injected.clear();
        sendKey(c.scancode, c.down, c.prefix);
        ASSERT_EQ(injected.size(), c.sent ? 1u : 0u) << int(c.scancode);
        if (c.sent) {
            EXPECT_EQ(injected[0].virtualKey, c.event.virtualKey);
            EXPECT_EQ(injected[0].scanCode, c.event.scanCode);
            EXPECT_EQ(injected[0].flags, c.event.flags);
        } else {
            ++lost;
        }
    }
    EXPECT_EQ(healthFigures().strokesLost, lost);
    // A stroke the system does not take is counted, never tried again.
    systemTakes = 0;
    sendKey(0x2C, 1);
    EXPECT_EQ(healthFigures().strokesLost, lost + 1);
    EXPECT_TRUE(injected.empty());
}

TEST_F(KeyoutOutputTest, CloseSilencesSendingAndDestroysOnce) {
    ASSERT_TRUE(openKeyboardOutput());
    fakeInterception.calls.clear();
    closeKeyboardOutput(); // no capture under way: no filter to clear
    EXPECT_EQ(fakeInterception.calls, std::vector<std::string>{"destroy"});
    closeKeyboardOutput();
    EXPECT_EQ(fakeInterception.destroys, 1);
    EXPECT_EQ(fakeInterception.destroyedContext, &fakeInterceptionContextObject);
    sendKey(0x2C, 1);
    EXPECT_TRUE(fakeInterception.sent.empty());
    EXPECT_TRUE(injected.empty());
    EXPECT_EQ(healthFigures().strokesLost, 0); // nothing open: nothing tried
}

TEST_F(KeyoutOutputTest, EachProblemSaysWhatIsWrongAndWhatToDo) {
    const struct {
        KeyboardLibrary library;
        const char* says;
    } cases[] = {
        {{KeyboardLibraryNotLoaded, nullptr, 0, 0, 64},
         "no interception.dll beside padrelle.exe or in System32"},
        {{KeyboardLibraryNotLoaded, nullptr, 0, 0, 32, false},
         "no interception.dll beside padrelle.exe or in System32"},
        // A 32-bit program on 64-bit Windows sees SysWOW64 as its System32.
        {{KeyboardLibraryNotLoaded, nullptr, 0, 0, 32, true},
         "no interception.dll beside padrelle.exe or in SysWOW64"},
        {{KeyboardLibraryWrongArchitecture, nullptr, 193, 32, 64},
         "interception.dll is the 32-bit file: this 64-bit padrelle.exe needs the one from the "
         "x64 folder of the Interception release"},
        {{KeyboardLibraryWrongArchitecture, nullptr, 193, 64, 32},
         "interception.dll is the 64-bit file: this 32-bit padrelle.exe needs the one from the "
         "x86 folder of the Interception release"},
        {{KeyboardLibraryLoadFailed, nullptr, 1114, 0, 64},
         "interception.dll could not be loaded (Windows error 1114)"},
        {{KeyboardLibraryLoadFailed, nullptr, 193, 0, 64},
         "interception.dll could not be loaded (Windows error 193: not a valid library)"},
        {{KeyboardLibraryIncomplete, "interception_send", 0, 0, 64},
         "interception.dll lacks interception_send: put the one of the Interception release "
         "there"},
        {{KeyboardDriverMissing, nullptr, 0, 0, 64},
         "the Interception driver is not installed: install it (install-interception.exe "
         "/install, as administrator) and restart Windows"},
        {{KeyboardDriverSilent, nullptr, 0, 0, 64}, "the Interception driver is not installed"},
        {{KeyboardNotAttached, nullptr, 0, 0, 64},
         "no keyboard is attached to the Interception driver"},
        {{KeyboardLibraryReady, nullptr, 0, 0, 64}, ""},
    };
    for (const auto& c : cases) {
        char text[256];
        describeKeyboardLibrary(c.library, text, sizeof text);
        EXPECT_EQ(std::string(text).rfind(c.says, 0), 0u) << text;
    }
    char tiny[4];
    describeKeyboardLibrary(KeyboardLibrary{KeyboardDriverMissing}, tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), 3u);
}

TEST_F(KeyoutOutputTest, HookedKeysAsAKeyboardSendsThem) {
    const struct {
        uint32_t scanCode;
        uint32_t flags;
        uint32_t virtualKey;
        uint16_t code;
        unsigned short prefix;
    } cases[] = {
        {0x2C, 0, 0x5A, 0x2C, 0},
        {0x4D, HookedExtended, 0x27, 0x4D, KeyStateE0}, // right arrow
        {0x1D, HookedExtended | HookedInjected, 0xA3, 0x1D, KeyStateE0},
        {0x45, 0, VirtualKeyPause, PauseMakeCode, KeyStateE1},
        {0x45, HookedExtended, VirtualKeyNumLock, NumLockCode, 0},
        {0x36, HookedExtended, VirtualKeyRightShift, RightShiftCode, 0},
        {0x1E2, 0, 0x41, 0xE2, 0}, // only the low byte
    };
    for (const auto& c : cases) {
        const CapturedKey key = keyFromHook(c.scanCode, c.flags, c.virtualKey);
        EXPECT_TRUE(key.captured) << c.virtualKey;
        EXPECT_EQ(key.code, c.code) << c.virtualKey;
        EXPECT_EQ(key.prefix, c.prefix) << c.virtualKey;
    }
}

int hooks = 0;
int unhooks = 0;

void hookKey(uint32_t scanCode, uint32_t flags, uint32_t virtualKey, uintptr_t extra = 0) {
    queueHookedKey(HookedKey{scanCode, flags, virtualKey, extra});
}

TEST_F(KeyoutOutputTest, TheHookTakesOneKeyAfterTheOtherButNeverTheProgramsOwn) {
    hooks = unhooks = 0;
    systemInput.hookKeyboard = [] { return ++hooks > 0; };
    systemInput.unhookKeyboard = [] { ++unhooks; };
    ASSERT_TRUE(openKeyboardOutput(OutputSendInput));
    EXPECT_EQ(keyOutput.capturePollMs, HookCheckMs);
    CapturedKey key = {};
    EXPECT_EQ(keyOutput.pollCapture(&key), CaptureFailed); // not armed
    hookKey(0x10, 0, 0x51);                                // before the capture: not taken
    keyOutput.armCapture();
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(keyOutput.pollCapture(&key), CapturePending);
    hookKey(0x2C, 0, 0x5A, PadrelleInputTag); // the program's own stroke
    EXPECT_EQ(keyOutput.pollCapture(&key), CapturePending);
    hookKey(0x4D, HookedExtended, 0x27);
    hookKey(0x4D, HookedExtended, 0x27); // held past the repeat delay
    hookKey(0x2E, 0, 0x43);              // pressed while it is still down: no key
    EXPECT_EQ(keyOutput.pollCapture(&key), CaptureTaken);
    EXPECT_EQ(key.code, 0x4D);
    EXPECT_EQ(key.prefix, KeyStateE0);
    keyOutput.armCapture(); // the next prompt: the same hook
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(keyOutput.pollCapture(&key), CapturePending);
    hookKey(0x4D, HookedExtended | HookedUp, 0x27);
    hookKey(0x30, 0, 0x42);
    EXPECT_EQ(keyOutput.pollCapture(&key), CaptureTaken);
    EXPECT_EQ(key.code, 0x30);
    keyOutput.disarmCapture();
    EXPECT_EQ(unhooks, 1);
    // The next capture starts afresh, and closing lets the hook go.
    keyOutput.armCapture();
    EXPECT_EQ(keyOutput.pollCapture(&key), CapturePending);
    closeKeyboardOutput();
    EXPECT_EQ(unhooks, 2);
    // A hook the system refuses ends the capture at once.
    ASSERT_TRUE(openKeyboardOutput(OutputSendInput));
    systemInput.hookKeyboard = [] { return false; };
    keyOutput.armCapture();
    EXPECT_EQ(keyOutput.pollCapture(&key), CaptureFailed);
    keyOutput.disarmCapture();
    EXPECT_EQ(unhooks, 2);
}

// Windows makes a scancode its virtual key at each event, through NumLock: a
// numpad key made with NumLock on (VK_NUMPAD7) and broken after it went off
// (VK_HOME) would leave a game that follows virtual keys holding the first.
// The make's virtual key goes with its break, the guard's too.
TEST_F(KeyoutOutputTest, ANumpadKeyIsMadeAndBrokenAsTheSameVirtualKey) {
    ASSERT_TRUE(openKeyboardOutput(OutputSendInput));
    installFakeDesktop();
    for (const bool guard : {false, true}) {
        for (const uint16_t code : {0x47, 0x4C, 0x52, 0x53, 0x4B}) {
            for (const bool onFirst : {true, false}) {
                fakeDesktop.numLock = onFirst;
                sendKey(static_cast<int8_t>(code), 1);
                EXPECT_EQ(fakeDesktop.gameHoldsVirtual.size(), 1u);
                fakeDesktop.numLock = !onFirst;
                if (guard) {
                    EXPECT_TRUE(injectGuardBreak(code, 0));
                } else {
                    sendKey(static_cast<int8_t>(code), 0);
                }
                EXPECT_TRUE(fakeDesktop.gameHoldsVirtual.empty()) << code << onFirst << guard;
                EXPECT_TRUE(fakeDesktop.gameHolds.empty()) << code;
                fakeDesktop.gameHoldsVirtual.clear();
            }
        }
    }
    // Any other key goes as its scancode, E0 4B (the arrow) too.
    sendKey(0x4B, 1, KeyStateE0);
    ASSERT_EQ(fakeDesktop.gameHolds.size(), 1u);
    EXPECT_EQ(*fakeDesktop.gameHolds.begin(), 0x14Bu);
}

bool gameOutranks = false;

// Windows drops keys injected into a process of a higher integrity level
// (UIPI), and SendInput answers as if they went through.
TEST_F(KeyoutOutputTest, KeysSentToAGameThatOutranksUsAreCountedAsBlocked) {
    gameOutranks = false;
    systemInput.foregroundOutranksUs = [] { return gameOutranks; };
    ASSERT_TRUE(openKeyboardOutput(OutputSendInput));
    sendKey(0x2C, 1);
    gameOutranks = true;
    EXPECT_TRUE(keysBlockedByTheGame());
    sendKey(0x2C, 0);
    sendKey(0x2D, 1);
    gameOutranks = false;
    EXPECT_FALSE(keysBlockedByTheGame());
    sendKey(0x2D, 0);
    fakePlatform.time += 1000;
    const HealthFigures figures = healthFigures();
    EXPECT_EQ(figures.strokesBlocked, 2);
    EXPECT_EQ(figures.strokesLost, 0);
    EXPECT_EQ(injected.size(), 4u); // sent all the same: nothing else can be done
    // The driver injects below that barrier.
    closeKeyboardOutput();
    ASSERT_TRUE(openKeyboardOutput(OutputAuto));
    gameOutranks = true;
    EXPECT_FALSE(keysBlockedByTheGame());
}

// Windows removes a slow hook without a word. Every key passes the hook
// before the key state changes: a change that the hook never reported is the
// only sign that it is gone. Keys held all along (injected, held by the
// driver, stuck) change nothing and give no hook traffic: no sign at all.
TEST_F(KeyoutOutputTest, AHookIsSetAgainOnlyWhenAKeyWentByWithoutIt) {
    static KeyStateBits state;
    hooks = unhooks = 0;
    state = KeyStateBits{};
    systemInput.hookKeyboard = [] { return ++hooks > 0; };
    systemInput.unhookKeyboard = [] { ++unhooks; };
    systemInput.keysDown = [](KeyStateBits* out) { *out = state; };
    ASSERT_TRUE(openKeyboardOutput(OutputSendInput));
    keyOutput.armCapture();
    CapturedKey key = {};
    auto pollAfter = [&key](uint32_t ms) {
        fakePlatform.time += ms;
        return keyOutput.pollCapture(&key);
    };
    const auto press = [](int vk, bool down) {
        state.bits[vk / 8] = static_cast<uint8_t>(down ? state.bits[vk / 8] | 1u << (vk % 8)
                                                       : state.bits[vk / 8] & ~(1u << (vk % 8)));
    };
    // A key held down all along (a stuck or injected key): no hook traffic
    // for ten seconds is no sign.
    press(0x10, true);
    for (int i = 0; i < 40; ++i) {
        pollAfter(HookCheckMs);
    }
    EXPECT_EQ(hookRestarts(), 0);
    // Keys that the hook reports, even one look late: alive.
    press(0x27, true);
    pollAfter(HookCheckMs);
    hookKey(0x4D, HookedExtended, 0x27);
    pollAfter(HookCheckMs);
    for (int i = 0; i < 8; ++i) {
        pollAfter(HookCheckMs);
    }
    EXPECT_EQ(hookRestarts(), 0);
    // A key went up that the hook never reported, and it stays silent.
    press(0x27, false);
    pollAfter(HookCheckMs); // seen, with nothing heard over two looks
    pollAfter(HookSilentMs - 1);
    EXPECT_EQ(hookRestarts(), 0);
    pollAfter(1);
    EXPECT_EQ(hookRestarts(), 1);
    EXPECT_EQ(hooks, 2);
    EXPECT_EQ(unhooks, 1);
    // After the restart, silence with no change is no sign again.
    pollAfter(5000);
    pollAfter(5000);
    EXPECT_EQ(hookRestarts(), 1);
    // A key the hook reported just before one look, whose change the state
    // shows only at the next: no restart, however long the silence after.
    hookKey(0x1E, 0, 0x41, PadrelleInputTag); // one of ours: heard, never taken
    pollAfter(HookCheckMs);
    press(0x41, true);
    pollAfter(HookCheckMs);
    pollAfter(HookSilentMs);
    pollAfter(HookSilentMs);
    EXPECT_EQ(hookRestarts(), 1);
}

} // namespace
