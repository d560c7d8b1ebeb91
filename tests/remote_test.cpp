// The remote controller's rules: its messages, its gate, the page's fingers
// in the touch table and one page at a time, with a network that records.
#include "base/win_constants.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/remote_panel.h"
#include "engine/engine.h"
#include "remote/host_addresses.h"
#include "remote/network.h"
#include "remote/network_reach.h"
#include "remote/page_clock.h"
#include "remote/remote_fingers.h"
#include "remote/remote_gate.h"
#include "remote/remote_link.h"
#include "remote/remote_message.h"
#include "support/controller_fixture.h"
#include "support/fake_network.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> touchMessage(std::vector<RemoteRecord> records) {
    std::vector<uint8_t> bytes = {RemoteTouchMessage};
    for (const RemoteRecord& r : records) {
        const auto x = static_cast<uint16_t>(r.x);
        const auto y = static_cast<uint16_t>(r.y);
        bytes.insert(bytes.end(), {r.kind, r.finger, static_cast<uint8_t>(x & 0xFF),
                                   static_cast<uint8_t>(x >> 8), static_cast<uint8_t>(y & 0xFF),
                                   static_cast<uint8_t>(y >> 8)});
    }
    return bytes;
}

TEST(RemoteMessage, WholeMessagesOfTheKnownFormsOnly) {
    struct Case {
        std::vector<uint8_t> bytes;
        bool taken;
    };
    std::vector<RemoteRecord> ten(10, RemoteRecord{RemoteFingerMove, 3, 10, 20});
    std::vector<RemoteRecord> eleven(11, RemoteRecord{RemoteFingerMove, 3, 10, 20});
    const Case cases[] = {
        {touchMessage({{RemoteFingerDown, 0, 700, 600}}), true},
        {touchMessage(ten), true},
        {touchMessage(eleven), false},
        {{RemoteTouchMessage}, false},
        {{RemoteTouchMessage, 1, 0, 0, 0, 0}, false}, // a record cut short
        {touchMessage({{0, 0, 1, 1}}), false},        // no such kind
        {touchMessage({{4, 0, 1, 1}}), false},
        {{RemotePingMessage, 1, 2, 3, 4, 0xFF, 0xFF}, true},
        {{RemotePingMessage, 1, 2, 3, 4, 5}, false},
        {{RemoteLetGoMessage}, true},
        {{RemoteLetGoMessage, 0}, false},
        // Timed: a touch's time before its records, a ping's four times.
        {{RemoteTimedTouchMessage, 1, 2, 3, 4, RemoteFingerUp, 0, 1, 0, 1, 0}, true},
        {{RemoteTimedTouchMessage, 1, 2, 3, 4}, false},             // no record
        {{RemoteTimedTouchMessage, 1, 2, 3, 4, 1, 0, 1, 0}, false}, // a record cut short
        {std::vector<uint8_t>(RemoteMessageMax + 6, RemoteTimedTouchMessage), false},
        {{RemoteTimedPingMessage, 1, 0, 0, 0, 9, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}, true},
        {{RemoteTimedPingMessage, 1, 0, 0, 0, 9, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0}, false},
        {{RemoteTimedPingMessage, 1, 2, 3, 4, 0xFF, 0xFF}, false}, // an old ping's size
        {{0x06}, false},
        {{RemotePongMessage, 0, 0, 0, 0}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        RemoteMessage message;
        EXPECT_EQ(decodeRemoteMessage(c.bytes.data(), c.bytes.size(), message), c.taken)
            << c.bytes.size() << " bytes";
        if (!c.taken) {
            EXPECT_EQ(message.recordCount, 0);
        }
    }
    RemoteMessage message;
    const auto bytes =
        touchMessage({{RemoteFingerUp, 7, -5, 1279}, {RemoteFingerDown, 255, 0, -32768}});
    ASSERT_TRUE(decodeRemoteMessage(bytes.data(), bytes.size(), message));
    ASSERT_EQ(message.recordCount, 2);
    EXPECT_EQ(message.records[0].finger, 7);
    EXPECT_EQ(message.records[0].x, -5);
    EXPECT_EQ(message.records[0].y, 1279);
    EXPECT_EQ(message.records[1].finger, 255);
    EXPECT_EQ(message.records[1].y, -32768);

    std::vector<uint8_t> timed = bytes;
    const uint8_t stamp[] = {0xF0, 0xFF, 0xFF, 0xFF};
    timed[0] = RemoteTimedTouchMessage;
    timed.insert(timed.begin() + 1, stamp, stamp + 4);
    ASSERT_TRUE(decodeRemoteMessage(timed.data(), timed.size(), message));
    EXPECT_TRUE(message.timed);
    EXPECT_EQ(message.pageUs, 0xFFFFFFF0u);
    ASSERT_EQ(message.recordCount, 2);
    EXPECT_EQ(message.records[1].finger, 255);
    const uint8_t timedPing[] = {
        RemoteTimedPingMessage, 7, 0, 0, 0, 9, 0, 1, 2, 3, 4, 6, 0, 0, 0, 5, 6, 7, 8};
    ASSERT_TRUE(decodeRemoteMessage(timedPing, sizeof timedPing, message));
    EXPECT_EQ(message.token, 7u);
    EXPECT_EQ(message.pageUs, 0x04030201u);
    EXPECT_EQ(message.answeredToken, 6u);
    EXPECT_EQ(message.answeredPageUs, 0x08070605u);

    const uint8_t ping[] = {RemotePingMessage, 0x78, 0x56, 0x34, 0x12, 9, 0};
    ASSERT_TRUE(decodeRemoteMessage(ping, sizeof ping, message));
    EXPECT_FALSE(message.timed);
    EXPECT_EQ(message.token, 0x12345678u);
    EXPECT_EQ(message.roundTripMs, 9);
    uint8_t pong[RemotePongSize];
    encodeRemotePong(message.token, pong);
    const uint8_t expected[] = {RemotePongMessage, 0x78, 0x56, 0x34, 0x12};
    EXPECT_EQ(std::memcmp(pong, expected, sizeof expected), 0);
}

TEST(PairingCode, SixtyRandomBitsInTwelveCharacters) {
    const uint8_t zeros[8] = {};
    const uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint8_t mixed[8] = {0x08, 0x86, 0x42, 0x98, 0xE8, 0x4A, 0x96, 0xCF};
    char code[PairingCodeLength + 1];
    makePairingCode(zeros, code);
    EXPECT_STREQ(code, "000000000000");
    makePairingCode(ones, code);
    EXPECT_STREQ(code, "zzzzzzzzzzzz");
    makePairingCode(mixed, code); // 00001 00010 00011 ...: the first 60 bits
    EXPECT_STREQ(code, "123456789abc");
    EXPECT_TRUE(isPairingCode(code));
    for (const char* bad : {"", "123456789a8", "123456789a800", "123456789a8i", "123456789a8U",
                            "123456789a8 ", "o23456789a8b"}) {
        EXPECT_FALSE(isPairingCode(bad)) << bad;
    }
    EXPECT_FALSE(isPairingCode(nullptr));
}

constexpr const char* Code = "7k2m9xq4hd0c";

SocketRequest request(const char* peer, const char* query, const char* host = "192.168.1.20:8750",
                      const char* origin = "http://192.168.1.20:8750") {
    return SocketRequest{peer, host, origin, query};
}

const char* const Served[] = {"192.168.1.20", "10.8.0.2"};

void openTestGate(RemoteGate& gate, uint32_t nowMs = 0) {
    openGate(gate, Code, Served, 2, 8750, nowMs);
}

TEST(RemoteGate, OnlyThePagesOwnAddressWithTheCode) {
    struct Case {
        SocketRequest asked;
        Admission admission;
    };
    const auto check = [](SocketRequest asked) {
        asked.originOptional = true;
        return asked;
    };
    const Case cases[] = {
        {request("a", "code=7k2m9xq4hd0c"), Admission::Admit},
        {request("a", "x=1&code=7k2m9xq4hd0c&y=2"), Admission::Admit},
        {request("a", "code=7k2m9xq4hd0c", "localhost:8750", "http://localhost:8750"),
         Admission::Admit},
        {request("a", "code=7k2m9xq4hd0c", "127.0.0.1:8750", "http://127.0.0.1:8750"),
         Admission::Admit},
        // Another of the PC's own addresses (a second adapter, a VPN).
        {request("a", "code=7k2m9xq4hd0c", "10.8.0.2:8750", "http://10.8.0.2:8750"),
         Admission::Admit},
        // The page's check: its own address, without an Origin or with its own.
        {check(request("a", "code=7k2m9xq4hd0c", "192.168.1.20:8750", "")), Admission::Admit},
        {check(request("a", "code=7k2m9xq4hd0c")), Admission::Admit},
        {check(request("a", "code=7k2m9xq4hd0d", "192.168.1.20:8750", "")), Admission::Refuse},
        {request("a", "code=7k2m9xq4hd0d"), Admission::Refuse},
        {request("b", "code=7k2m9xq4hd0"), Admission::Refuse},
        {request("c", "code=7k2m9xq4hd0cc"), Admission::Refuse},
        {request("d", ""), Admission::Refuse},
        {request("e", "code="), Admission::Refuse},
        {request("f", "Code=7k2m9xq4hd0c"), Admission::Refuse},
        // Another site's page, or this page under a name that is not ours.
        {request("g", "code=7k2m9xq4hd0c", "192.168.1.20:8750", "http://evil.example"),
         Admission::Foreign},
        {request("h", "code=7k2m9xq4hd0c", "192.168.1.20:8750", ""), Admission::Foreign},
        {check(request("h", "code=7k2m9xq4hd0c", "192.168.1.20:8750", "http://evil.example")),
         Admission::Foreign},
        {check(request("h", "code=7k2m9xq4hd0c", "evil.example:8750", "")), Admission::Foreign},
        {request("i", "code=7k2m9xq4hd0c", "evil.example:8750", "http://evil.example:8750"),
         Admission::Foreign},
        {request("j", "code=7k2m9xq4hd0c", "192.168.1.20:8751", "http://192.168.1.20:8751"),
         Admission::Foreign},
        {request("k", "code=7k2m9xq4hd0c", "192.168.1.20:8750", "https://192.168.1.20:8750"),
         Admission::Foreign},
        {request("l", "code=7k2m9xq4hd0c", "10.8.0.3:8750", "http://10.8.0.3:8750"),
         Admission::Foreign},
    };
    for (const Case& c : cases) {
        RemoteGate gate;
        openTestGate(gate);
        EXPECT_EQ(admitToGate(gate, c.asked, 100), c.admission)
            << c.asked.peer << " " << c.asked.host << " " << c.asked.origin;
    }
}

// A page under a name this PC does not serve is no guess at the code: the
// phone that loaded it so is not shut out for it.
TEST(RemoteGate, AWrongHostOrOriginIsNoWrongCode) {
    RemoteGate gate;
    openTestGate(gate);
    const SocketRequest wrongHost =
        request("10.0.0.9", "code=000000000000", "pc.local:8750", "http://pc.local:8750");
    EXPECT_EQ(admitToGate(gate, wrongHost, 100), Admission::Foreign);
    EXPECT_EQ(gateWaitOf(gate, "10.0.0.9", 101), 0u);
    EXPECT_EQ(admitToGate(gate, request("10.0.0.9", "code=000000000000"), 101), Admission::Refuse);
    EXPECT_EQ(gate.budget, GateBudget - 1);
}

// Whatever others did, and whatever the phone's own address did before, the
// right code is let in at once; a wrong code is refused and counted, or told
// to wait while its address is shut out or all addresses' budget is spent.
TEST(RemoteGate, TheRightCodeIsLetInWhateverCameBefore) {
    struct Case {
        const char* what;
        bool rightCode;
        bool budgetSpent;       // 30 wrong codes from other addresses just now
        bool addressShutOut;    // this address gave a wrong code just now
        bool othersTriedLately; // other addresses' wrong codes, within the budget
        Admission admission;
    };
    const Case cases[] = {
        {"right code, nothing before", true, false, false, false, Admission::Admit},
        {"right code, others tried", true, false, false, true, Admission::Admit},
        {"right code, its address shut out", true, false, true, false, Admission::Admit},
        {"right code, the budget spent", true, true, false, false, Admission::Admit},
        {"right code, shut out and the budget spent", true, true, true, true, Admission::Admit},
        {"wrong code, nothing before", false, false, false, false, Admission::Refuse},
        {"wrong code, others tried", false, false, false, true, Admission::Refuse},
        {"wrong code, its address shut out", false, false, true, false, Admission::Throttled},
        {"wrong code, the budget spent", false, true, false, false, Admission::Throttled},
        {"wrong code, shut out and the budget spent", false, true, true, true,
         Admission::Throttled},
    };
    for (const Case& c : cases) {
        RemoteGate gate;
        openTestGate(gate, 1000);
        const uint32_t now = 2000;
        const uint32_t othersTries = c.budgetSpent ? GateBudget : c.othersTriedLately ? 5 : 0;
        for (uint32_t i = 0; i < othersTries; ++i) {
            const std::string peer = "10.0.2." + std::to_string(i);
            ASSERT_EQ(admitToGate(gate, request(peer.c_str(), "code=x"), now - 10),
                      Admission::Refuse);
        }
        if (c.addressShutOut) {
            ASSERT_NE(admitToGate(gate, request("10.0.0.9", "code=y"), now - 5), Admission::Admit);
        }
        const uint32_t budgetBefore = gate.budget;
        uint32_t retry = 12345;
        const Admission said = admitToGate(
            gate, request("10.0.0.9", c.rightCode ? "code=7k2m9xq4hd0c" : "code=z"), now, &retry);
        EXPECT_EQ(said, c.admission) << c.what;
        EXPECT_EQ(retry > 0, said == Admission::Throttled) << c.what;
        // Only a wrong code that is looked at spends the budget.
        EXPECT_EQ(gate.budget, budgetBefore - (said == Admission::Refuse ? 1 : 0)) << c.what;
        // Let in, the address starts afresh: its next wrong code is looked at.
        if (said == Admission::Admit && !c.budgetSpent) {
            EXPECT_EQ(gateWaitOf(gate, "10.0.0.9", now), 0u) << c.what;
        }
    }
}

TEST(RemoteGate, WrongCodesShutTheirAddressOutLongerEachTime) {
    RemoteGate gate;
    openTestGate(gate);
    const SocketRequest wrong = request("10.0.0.9", "code=000000000000");
    uint32_t now = 5000;
    uint32_t wait = GateFirstWaitMs;
    for (int attempt = 0; attempt < 9; ++attempt) {
        EXPECT_EQ(admitToGate(gate, wrong, now), Admission::Refuse) << attempt;
        // Shut out: wrong codes wait until the wait is over, told how long.
        uint32_t retry = 0;
        EXPECT_EQ(admitToGate(gate, wrong, now + wait - 1, &retry), Admission::Throttled)
            << attempt;
        EXPECT_EQ(retry, 1u) << attempt;
        EXPECT_EQ(gateWaitOf(gate, "10.0.0.9", now), wait) << attempt;
        EXPECT_EQ(gateWaitOf(gate, "10.0.0.10", now), 0u) << attempt;
        now += wait;
        wait = std::min(wait * 2, GateLongestWaitMs);
    }
    EXPECT_EQ(wait, GateLongestWaitMs);
    // Let in, the address starts afresh.
    EXPECT_EQ(admitToGate(gate, request("10.0.0.9", "code=7k2m9xq4hd0c"), now - 1),
              Admission::Admit);
    EXPECT_EQ(admitToGate(gate, wrong, now), Admission::Refuse);
    EXPECT_EQ(gateWaitOf(gate, "10.0.0.9", now), GateFirstWaitMs);
}

// Addresses that keep changing: the table gives up an address no longer
// shut out before one that is, and all addresses together have a budget of
// wrong codes they may spend.
TEST(RemoteGate, ManyAddressesSpendOneBudgetAndTheShutOutAreKept) {
    RemoteGate gate;
    openTestGate(gate, 1000);
    // One address, long shut out (its wait has grown), and many short ones.
    const SocketRequest stubborn = request("10.0.9.9", "code=x");
    uint32_t now = 1000;
    for (int i = 0; i < 4; ++i) {
        admitToGate(gate, stubborn, now);
        now += gateWaitOf(gate, "10.0.9.9", now);
    }
    EXPECT_EQ(gateWaitOf(gate, "10.0.9.9", now), 0u);
    admitToGate(gate, stubborn, now); // shut out for 16 s now
    const uint32_t stubbornUntil = now + gateWaitOf(gate, "10.0.9.9", now);
    int32_t refused = 0;
    int32_t throttled = 0;
    for (int i = 0; i < 3 * GateAddressesKept; ++i) {
        const std::string peer = "10.0.1." + std::to_string(i);
        now += 150;
        const Admission said = admitToGate(gate, request(peer.c_str(), "code=x"), now);
        refused += said == Admission::Refuse ? 1 : 0;
        throttled += said == Admission::Throttled ? 1 : 0;
    }
    // 96 tries in 14.4 s: the budget looked at 30 at once and one more
    // every 2 s; every other wrong code was told to wait.
    EXPECT_EQ(refused, static_cast<int32_t>(GateBudget) - 1 + 7);
    EXPECT_EQ(throttled, 3 * GateAddressesKept - refused);
    // More wrong codes than the table keeps: the address still shut out was
    // kept, those whose wait was over were given up.
    ASSERT_LT(now, stubbornUntil);
    uint32_t retry = 0;
    EXPECT_EQ(admitToGate(gate, stubborn, now, &retry), Admission::Throttled);
    EXPECT_GE(retry, stubbornUntil - now);
    // The budget drains from its first wrong code on: spent, a wrong code
    // waits for the next one back.
    RemoteGate spent;
    openTestGate(spent, 0);
    for (uint32_t i = 0; i < GateBudget; ++i) {
        const std::string peer = "10.0.2." + std::to_string(i);
        EXPECT_EQ(admitToGate(spent, request(peer.c_str(), "code=x"), 10), Admission::Refuse);
    }
    EXPECT_EQ(admitToGate(spent, request("10.0.3.1", "code=x"), 10, &retry), Admission::Throttled);
    EXPECT_EQ(retry, GateBudgetRefillMs);
    EXPECT_EQ(admitToGate(spent, request("10.0.3.1", "code=x"), 10 + GateBudgetRefillMs - 1),
              Admission::Throttled);
    EXPECT_EQ(admitToGate(spent, request("10.0.3.1", "code=x"), 10 + GateBudgetRefillMs),
              Admission::Refuse);
}

// The PC's addresses, the likeliest first: the home network's card before
// the route out, VPNs, virtual switches and self-assigned addresses.
TEST(HostAddresses, TheLikeliestFirstEachOnce) {
    const struct {
        const char* what;
        std::vector<HostAddress> given;
        std::vector<std::string> ranked;
    } cases[] = {
        {"one card", {{"192.168.1.20", true, true, true}}, {"192.168.1.20"}},
        {"a VPN takes the route out",
         {{"10.8.0.2", false, true, true}, {"192.168.1.20", true, true, false}},
         {"192.168.1.20", "10.8.0.2"}},
        {"a virtual switch and Wi-Fi",
         {{"172.20.0.1", false, false, false},
          {"192.168.56.1", true, false, false},
          {"192.168.0.14", true, true, true}},
         {"192.168.0.14", "192.168.56.1", "172.20.0.1"}},
        {"self-assigned last, twice given once",
         {{"169.254.3.4", true, true, true},
          {"10.0.0.5", false, false, false},
          {"10.0.0.5", false, false, false}},
         {"10.0.0.5", "169.254.3.4"}},
        {"the route out before a card without a gateway",
         {{"192.168.56.1", true, false, false}, {"10.1.1.1", false, false, true}},
         {"10.1.1.1", "192.168.56.1"}},
        {"none", {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<HostAddress> addresses = c.given;
        const int32_t count =
            rankHostAddresses(addresses.data(), static_cast<int32_t>(addresses.size()));
        std::vector<std::string> ranked;
        for (int32_t i = 0; i < count; ++i) {
            ranked.push_back(addresses[static_cast<size_t>(i)].text);
        }
        EXPECT_EQ(ranked, c.ranked) << c.what;
    }
}

// The page's fingers in the touch table, beside touches and the mouse.
class RemoteFingers : public ControllerFixture {};

void remote(uint8_t kind, uint8_t finger, int16_t x, int16_t y) {
    const RemoteRecord record = {kind, finger, x, y};
    fileRemoteRecords(&record, 1);
}

TEST_F(RemoteFingers, PressPadsAndTheDiscAsTouchesDo) {
    enterPlay();
    remote(RemoteFingerDown, 0, 700, 600);  // pad 0
    remote(RemoteFingerDown, 1, 1150, 100); // pad 8
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "make 0x11"}));
    clearStrokes();
    remote(RemoteFingerUp, 0, 700, 600);
    remote(RemoteFingerDown, 2, 204, 208); // disc
    updateController();
    remote(RemoteFingerMove, 2, 203, 240);
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"break 0x2C", "make 0x1D"}));
    clearStrokes();
    letGoRemoteFingers();
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"break 0x11", "break 0x1D"}));
    EXPECT_EQ(remoteFingersDown(), 0);
    // Let go, a finger still on the glass presses again only with a new down.
    clearStrokes();
    remote(RemoteFingerMove, 1, 1150, 100);
    updateController();
    EXPECT_TRUE(strokes().empty());
}

// A reset forgets the page's fingers: none is counted as the page's, and a
// finger it files again comes down anew.
TEST_F(RemoteFingers, AResetForgetsThePagesFingers) {
    enterPlay();
    remote(RemoteFingerDown, 0, 700, 600);
    remote(RemoteFingerDown, 1, 1150, 100);
    ASSERT_EQ(remoteFingersDown(), 2);
    resetRemoteFingers();
    EXPECT_EQ(remoteFingersDown(), 0);
    remote(RemoteFingerDown, 0, 700, 600);
    EXPECT_EQ(remoteFingersDown(), 1);
}

TEST_F(RemoteFingers, TakeFreeSlotsOnlyAndNeverAnotherSourcesFinger) {
    enterPlay();
    for (uint32_t id = 1; id <= 9; ++id) {
        down(id, 20 + static_cast<int32_t>(id), 700); // nine touches off the controls
    }
    setMouseFinger(true, 1150, 100);
    remote(RemoteFingerDown, 0, 700, 600);  // the tenth slot
    remote(RemoteFingerDown, 1, 1150, 100); // an eleventh finger: refused
    EXPECT_EQ(remoteFingersDown(), 1);
    remote(RemoteFingerMove, 1, 700, 600);
    remote(RemoteFingerUp, 1, 700, 600);
    // The touches' slots are untouched by the page.
    for (uint32_t id = 1; id <= 9; ++id) {
        const int32_t slot = findTouchSlot(id);
        ASSERT_GE(slot, 0);
        EXPECT_EQ(TouchTable[slot].down, 1);
        EXPECT_EQ(TouchTable[slot].x, 20 + static_cast<int32_t>(id));
    }
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "make 0x11"}));
    // A touch whose id is a number the page uses is a touch of its own.
    up(1, 21, 700);
    down(RemoteTouchIdBase - 1, 30, 700);
    remote(RemoteFingerUp, 0, 700, 600);
    EXPECT_GE(findTouchSlot(RemoteTouchIdBase - 1), 0);
    EXPECT_EQ(TouchTable[findTouchSlot(RemoteTouchIdBase - 1)].down, 1);
    EXPECT_EQ(MouseFinger.down, 1);
}

TEST_F(RemoteFingers, OffTheFrameIsOnNoControlAndACutOffContactStaysUp) {
    enterPlay();
    remote(RemoteFingerDown, 0, -1, 600);
    remote(RemoteFingerDown, 1, 1280, 600);
    remote(RemoteFingerDown, 2, 700, 720);
    updateController();
    EXPECT_TRUE(strokes().empty());
    EXPECT_EQ(remoteFingersDown(), 3);
    remote(RemoteFingerMove, 0, 700, 600);
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C"}));
    liftAllFingers(); // the system cut the contacts off
    remote(RemoteFingerMove, 0, 700, 601);
    updateController();
    EXPECT_EQ(remoteFingersDown(), 0);
    EXPECT_EQ(strokes().back(), "break 0x2C");
}

class RemoteLink : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        fakeNetwork = FakeNetwork{};
        network = RecordingNetwork;
        enterPlay();
        ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n"));
    }
    void TearDown() override {
        resetRemote();
        network = SystemNetwork;
        ControllerFixture::TearDown();
    }
    static const ServerHandlers& server() { return fakeNetwork.settings.handlers; }
    static bool send(ConnectionId id, const std::vector<uint8_t>& bytes) {
        return server().received(id, bytes.data(), bytes.size(), true);
    }
    static void pass() {
        pollRemote();
        updateController();
    }
};

// Every address of the PC serves the page: the screen gives the likeliest
// (and the QR code carries it), then the others; any of them is let in.
TEST_F(RemoteLink, EveryAddressOfThePcServesThePageTheLikeliestShownFirst) {
    resetRemote();
    fakeNetwork.addresses = {{"10.8.0.2", false, true, true},
                             {"192.168.56.1", true, false, false},
                             {"192.168.1.20", true, true, false}};
    ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n"));
    EXPECT_STREQ(remoteStatus().address, "http://192.168.1.20:8750/#7k2m9xq4hd0c");
    EXPECT_STREQ(remoteStatus().otherAddresses, "10.8.0.2 192.168.56.1");
    char line[256];
    writeRemoteLine(line, sizeof line);
    EXPECT_STREQ(line, "remote: open http://192.168.1.20:8750/#7k2m9xq4hd0c on the phone or "
                       "scan the code (this PC also answers at 10.8.0.2 192.168.56.1)");
    for (const char* host : {"10.8.0.2:8750", "192.168.56.1:8750", "192.168.1.20:8750"}) {
        const std::string origin = std::string("http://") + host;
        EXPECT_EQ(
            server().admit(SocketRequest{"p", host, origin.c_str(), "code=7k2m9xq4hd0c"}, nullptr),
            Admission::Admit)
            << host;
    }
    // As many addresses as are kept, each as long as an address is: the line
    // holds every other one whole.
    resetRemote();
    fakeNetwork.addresses.clear();
    for (int i = 0; i < MaxHostAddresses + 2; ++i) {
        HostAddress address = {"", true, i == 0, i == 0};
        std::snprintf(address.text, sizeof address.text, "192.168.100.%d", 200 + i);
        fakeNetwork.addresses.push_back(address);
    }
    ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n"));
    EXPECT_STREQ(remoteStatus().address, "http://192.168.100.200:8750/#7k2m9xq4hd0c");
    EXPECT_STREQ(remoteStatus().otherAddresses,
                 "192.168.100.201 192.168.100.202 192.168.100.203 192.168.100.204 "
                 "192.168.100.205 192.168.100.206 192.168.100.207");
    // No network at all: the loopback, for a phone on a USB cable.
    resetRemote();
    fakeNetwork.addresses.clear();
    ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n"));
    EXPECT_STREQ(remoteStatus().address, "http://127.0.0.1:8750/#7k2m9xq4hd0c");
    EXPECT_STREQ(remoteStatus().otherAddresses, "");
    writeRemoteLine(line, sizeof line);
    EXPECT_STREQ(line, "remote: open http://127.0.0.1:8750/#7k2m9xq4hd0c on the phone or scan "
                       "the code");
}

// What Windows knows that keeps the phone out is said with the address, and
// asked again now and then while no phone is in.
TEST(NetworkReach, EachProblemSaysWhatToDo) {
    const struct {
        uint32_t problems;
        const char* part;
    } cases[] = {
        {0, ""},
        {ReachPublicNetwork, "this network is set to Public"},
        {ReachFirewallBlocks, "Windows Firewall keeps the phone out: allow padrelle.exe"},
        {ReachFirewallWillAsk, "Windows asks whether Padrelle may use the network"},
        {ReachPublicNetwork | ReachFirewallBlocks, "Windows Firewall keeps the phone out"},
        {ReachFirewallWillAsk | ReachPublicNetwork, "Windows asks whether"},
    };
    for (const auto& c : cases) {
        char said[256];
        describeReachProblems(c.problems, said, sizeof said);
        EXPECT_EQ(std::string(said).rfind(c.part, 0), 0u) << c.problems << ": " << said;
        EXPECT_EQ(said[0] == '\0', c.problems == 0);
    }
}

TEST_F(RemoteLink, WhatKeepsThePhoneOutIsSaidAndAskedAgainWhileNoPhoneIsIn) {
    resetRemote();
    fakeNetwork.reach = ReachPublicNetwork;
    fakeReachAsked = 0;
    fakePlatform.time = 1000;
    ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n"));
    // Asked at once, on a thread of its own, for the address the phone is
    // told and the server's port; its answer taken in a later pass.
    for (int i = 0; i < 2000 && fakeReachAsked < 1; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(fakeReachAsked, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pass();
    EXPECT_EQ(fakeNetwork.reachAskedFor, "192.168.1.20:8750");
    char line[640];
    writeRemoteLine(line, sizeof line);
    EXPECT_NE(std::string(line).find("; this network is set to Public"), std::string::npos) << line;
    fakeNetwork.reach = 0; // the player made it Private
    fakePlatform.time += ReachCheckMs - 1;
    pass();
    EXPECT_EQ(fakeReachAsked, 1);
    fakePlatform.time += 1;
    pass(); // asked on a thread of its own: the main loop does not wait for it
    for (int i = 0; i < 2000 && fakeReachAsked < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(fakeReachAsked, 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pass(); // its answer is taken in a later pass
    writeRemoteLine(line, sizeof line);
    EXPECT_EQ(std::string(line).find("Public"), std::string::npos) << line;
    // A phone in: not asked any more.
    EXPECT_EQ(server().admit(request("p", "code=7k2m9xq4hd0c"), nullptr), Admission::Admit);
    server().opened(1);
    pass();
    fakePlatform.time += 10 * ReachCheckMs;
    pass();
    EXPECT_EQ(fakeReachAsked, 2);
}

TEST_F(RemoteLink, EachRefusalIsCountedOnceAndShutsItsAddressOut) {
    EXPECT_EQ(server().admit(request("q", "code=000000000000"), nullptr), Admission::Refuse);
    uint32_t retry = 0;
    EXPECT_EQ(server().admit(request("q", "code=000000000001"), &retry), Admission::Throttled);
    EXPECT_EQ(retry, GateFirstWaitMs);
    EXPECT_EQ(server().admit(request("q", "code=7k2m9xq4hd0c"), &retry), Admission::Admit);
    pass();
    EXPECT_EQ(remoteStatus().refusedCount, 2u);
    EXPECT_EQ(remoteStatus().state, RemoteState::Waiting);
}

// Another layout plays while a phone holds the controller (a game's came up,
// one was saved in the editor): the page is sent it at once, and the
// phone's touches land on its controls; the same layout again sends nothing.
TEST_F(RemoteLink, ThePageGetsEveryNewLayoutAtOnce) {
    server().opened(1);
    pass();
    ASSERT_EQ(fakeNetwork.sent.size(), 1u);
    const Layout& lanes = *presetNamed("lanes4");
    playLayout(lanes, layoutKeys(lanes));
    ASSERT_EQ(fakeNetwork.sent.size(), 2u);
    EXPECT_EQ(fakeNetwork.sent[1].first, 1u);
    EXPECT_EQ(fakeNetwork.sent[1].second.rfind("layout\nlayout 1\nname lanes4\n", 0), 0u);
    playLayout(lanes, layoutKeys(lanes));
    EXPECT_EQ(fakeNetwork.sent.size(), 2u);
    clearStrokes();
    EXPECT_TRUE(send(1, touchMessage({{RemoteFingerDown, 0, 100, 300}}))); // lane 0
    pass();
    char lane0[8];
    writeKeyName(lanes.pads[0].key, lane0, sizeof lane0);
    EXPECT_EQ(strokes(), (std::vector<std::string>{std::string("make 0x") + lane0}));
    // A page that comes later gets the layout in use.
    server().opened(2);
    pass();
    EXPECT_EQ(fakeNetwork.sent.back().second.rfind("layout\nlayout 1\nname lanes4\n", 0), 0u);
}

TEST_F(RemoteLink, ServesTheLayoutAndTurnsTouchesIntoKeysInThePassThatTakesThem) {
    EXPECT_EQ(fakeNetwork.settings.port, RemotePort);
    EXPECT_STREQ(remoteStatus().address, "http://192.168.1.20:8750/#7k2m9xq4hd0c");
    EXPECT_EQ(remoteStatus().state, RemoteState::Waiting);
    EXPECT_EQ(server().admit(request("p", "code=7k2m9xq4hd0c"), nullptr), Admission::Admit);

    // The main loop is woken (once for what came before it takes it).
    const int wakes = fakeMainLoopWakes.load();
    server().opened(1);
    EXPECT_TRUE(send(1, touchMessage({{RemoteFingerDown, 0, 700, 600}})));
    EXPECT_GE(fakeMainLoopWakes.load(), wakes + 1);
    EXPECT_TRUE(strokes().empty()); // queued, not filed, until the main loop takes it
    pass();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C"}));
    ASSERT_EQ(fakeNetwork.sent.size(), 1u);
    EXPECT_EQ(fakeNetwork.sent[0],
              (std::pair<ConnectionId, std::string>{1, "layout\nlayout 1\nname default\n"}));
    EXPECT_EQ(remoteStatus().state, RemoteState::Connected);
    EXPECT_EQ(remoteStatus().refusedCount, 0u);
    // A ping is answered with its token; the page's round trip is shown.
    EXPECT_TRUE(send(1, {RemotePingMessage, 1, 2, 3, 4, 17, 0}));
    pass();
    EXPECT_EQ(fakeNetwork.sent.back().second, std::string("binary:\x82\x01\x02\x03\x04", 12));
    EXPECT_EQ(remoteStatus().roundTripMs, 17);
    // The page is hidden: it lets go.
    EXPECT_TRUE(send(1, {RemoteLetGoMessage}));
    pass();
    EXPECT_EQ(strokes().back(), "break 0x2C");
}

// A tap whose down and up arrive together (a Wi-Fi hiccup bunches them) is
// still a press: each change of the fingers is filed with an update of its
// own, all in the pass that takes them.
TEST_F(RemoteLink, FingersThatCameTogetherAreFiledEachWithAnUpdateOfItsOwn) {
    server().opened(1);
    send(1, touchMessage({{RemoteFingerDown, 0, 700, 600}}));
    send(1, touchMessage({{RemoteFingerUp, 0, 700, 600}}));
    send(1, touchMessage({{RemoteFingerDown, 1, 1150, 100}}));
    send(1, touchMessage({{RemoteFingerUp, 1, 1150, 100}}));
    std::vector<std::vector<std::string>> passes;
    for (int i = 0; i < 2; ++i) {
        clearStrokes();
        runMainLoopPass();
        passes.push_back(strokes());
    }
    const std::vector<std::vector<std::string>> expected = {
        {"make 0x2C", "break 0x2C", "make 0x11", "break 0x11"}, {}};
    EXPECT_EQ(passes, expected);
}

// The window's close asked (posted behind another message) before a phone's
// touch is filed: the touch presses nothing, and what was held before goes
// up with the close. Without a close waiting the same touch presses.
TEST_F(RemoteLink, NothingThatComesAfterTheCloseIsAskedPresses) {
    struct Case {
        const char* what;
        FakeMessage close;
        bool pressed;
    };
    const Case cases[] = {
        {"the window menu's Close", {win::WM_SYSCOMMAND, win::SC_CLOSE, 0}, false},
        {"WM_CLOSE", {win::WM_CLOSE, 0, 0}, false},
        {"a quit", {0x0012, 0, 0}, false},
        {"another system command", {win::WM_SYSCOMMAND, 0xF020, 0}, true}, // SC_MINIMIZE
        {"no close", {0, 0, 0}, true},
    };
    for (const Case& c : cases) {
        resetRemote();
        ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n"));
        clearStrokes();
        server().opened(1);
        send(1, touchMessage({{RemoteFingerDown, 0, 700, 600}}));
        runMainLoopPass();
        runMainLoopPass();
        ASSERT_EQ(strokes(), (std::vector<std::string>{"make 0x2C"})) << c.what;
        fakePlatform.queue = {FakeMessage{0, 0, 0}, c.close};
        send(1, touchMessage({{RemoteFingerDown, 1, 1150, 100}}));
        runMainLoopPass();
        const std::vector<std::string> held = {"make 0x2C", "make 0x11"};
        EXPECT_EQ(strokes(), c.pressed ? held : std::vector<std::string>{"make 0x2C"}) << c.what;
        fakePlatform.queue.clear();
        releaseHeldKeys(); // what the close does as it leaves the controller
        EXPECT_EQ(strokes().size(), c.pressed ? 4u : 2u) << c.what;
        EXPECT_EQ(strokes().back().rfind("break", 0), 0u) << c.what;
    }
}

TEST_F(RemoteLink, EveryEndOfTheConnectionLetsGo) {
    struct Ending {
        const char* name;
        void (*end)();
    };
    const Ending endings[] = {
        {"closed", [] { server().closed(1); }},
        {"silent", [] { fakePlatform.time += RemoteSilenceMs; }},
        {"bad message", [] { EXPECT_FALSE(send(1, {0x09})); }},
        {"taken over", [] { server().opened(2); }},
        {"stopped", [] { stopRemote(); }},
    };
    for (const Ending& ending : endings) {
        resetRemote();
        fakeNetwork = FakeNetwork{};
        ASSERT_TRUE(startRemote(Code, "layout 1\n"));
        server().opened(1);
        send(1, touchMessage({{RemoteFingerDown, 0, 700, 600}}));
        pass();
        clearStrokes();
        fakePlatform.time += RemoteSilenceMs - 1;
        pass(); // just under the silence: still held
        EXPECT_TRUE(strokes().empty()) << ending.name;
        ending.end();
        pass();
        EXPECT_EQ(strokes(), (std::vector<std::string>{"break 0x2C"})) << ending.name;
        EXPECT_EQ(remoteFingersDown(), 0) << ending.name;
    }
}

TEST_F(RemoteLink, OnePageAtATimeTheLatestTakesOver) {
    server().opened(1);
    send(1, touchMessage({{RemoteFingerDown, 0, 700, 600}}));
    pass();
    server().opened(2);
    pass();
    // The first is told and closed; what it still sends is not used.
    EXPECT_EQ(fakeNetwork.sent[1], (std::pair<ConnectionId, std::string>{1, "taken"}));
    EXPECT_EQ(fakeNetwork.closedByUs, std::vector<ConnectionId>{1});
    EXPECT_EQ(fakeNetwork.sent[2].first, 2u);
    EXPECT_EQ(remoteStatus().takenOver, 1u);
    clearStrokes();
    send(1, touchMessage({{RemoteFingerDown, 1, 1150, 100}}));
    send(2, touchMessage({{RemoteFingerDown, 0, 700, 600}}));
    server().closed(1);
    pass();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C"}));
    EXPECT_EQ(remoteStatus().state, RemoteState::Connected);
}

TEST_F(RemoteLink, RefusesWhatAPageNeverSends) {
    server().opened(1);
    const std::vector<uint8_t> big(RemoteMessageMax + 1, RemoteTouchMessage);
    EXPECT_FALSE(send(1, big));
    EXPECT_FALSE(send(1, {}));
    const uint8_t text[] = {RemoteLetGoMessage};
    EXPECT_FALSE(server().received(1, text, 1, false));
    // More messages in a second than a page can send.
    server().opened(2);
    bool taken = true;
    uint32_t count = 0;
    while (taken && count <= RemoteMessagesPerSecond) {
        taken = send(2, {RemotePingMessage, 0, 0, 0, 0, 0, 0});
        ++count;
        pollRemote(); // the queue stays short
    }
    EXPECT_FALSE(taken);
    EXPECT_EQ(count, RemoteMessagesPerSecond + 1);
    fakePlatform.time += 1000;
    EXPECT_TRUE(send(2, {RemotePingMessage, 0, 0, 0, 0, 0, 0}));
}

// A page of now: touches stamped with their time, pings telling its clock.
class TimedPage : public RemoteLink {
  protected:
    static constexpr int64_t PageBehindUs = 7000000000; // the PC's clock minus the page's
    void SetUp() override {
        RemoteLink::SetUp();
        fakePlatform.preciseUs = 9000000000;
        server().opened(1);
        pass();
    }
    static uint32_t pageNow(int64_t agoUs = 0) {
        return static_cast<uint32_t>(static_cast<int64_t>(fakePlatform.preciseUs) - PageBehindUs -
                                     agoUs);
    }
    static void put32(std::vector<uint8_t>& bytes, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }
    // A timed touch made agoUs before now.
    static bool touch(ConnectionId id, std::vector<RemoteRecord> records, int64_t agoUs) {
        std::vector<uint8_t> bytes = touchMessage(records);
        bytes[0] = RemoteTimedTouchMessage;
        std::vector<uint8_t> time;
        put32(time, pageNow(agoUs));
        bytes.insert(bytes.begin() + 1, time.begin(), time.end());
        return send(id, bytes);
    }
    // Pings a millisecond apart, each telling when the pong before came.
    static void clockGood(ConnectionId id = 1) {
        for (uint32_t token = 1; token <= PageClockGoodAfter + 2; ++token) {
            fakePlatform.preciseUs += 1000;
            std::vector<uint8_t> ping = {RemoteTimedPingMessage};
            put32(ping, token);
            ping.insert(ping.end(), {1, 0});
            put32(ping, pageNow());
            put32(ping, token - 1);
            put32(ping, pageNow());
            send(id, ping);
        }
        pass();
    }
    // The strokes from now until untilUs, each as "stroke@ms after now".
    static std::vector<std::string> playUntil(uint64_t untilUs) {
        const uint64_t start = fakePlatform.preciseUs;
        std::vector<std::string> said;
        for (; fakePlatform.preciseUs <= untilUs; fakePlatform.preciseUs += 1000) {
            clearStrokes();
            for (int i = 0; i < 4; ++i) {
                pass();
            }
            for (const std::string& stroke : strokes()) {
                said.push_back(stroke + "@" +
                               std::to_string((fakePlatform.preciseUs - start) / 1000));
            }
        }
        return said;
    }
};

// Old and new pages, and how the player chose: a page that stamps no times
// and every stroke at once go as they come; steady waits for the touch's
// time plus the delay, once the clocks are compared; a message that comes
// after its time goes at once, and is late.
TEST_F(TimedPage, EachTouchAtItsTimeOrAtOnce) {
    const DelaySetting steady = {DelayMode::Fixed, 100};
    const struct {
        const char* what;
        DelaySetting setting;
        bool clockGood;
        bool stamped;
        int64_t agoUs;
        const char* made; // when pad 0's make went
        TimingState state;
        uint32_t late;
    } cases[] = {
        {"a page of before", steady, false, false, 0, "make 0x2C@0", TimingState::Untimed, 0},
        {"every stroke at once",
         {DelayMode::AtOnce, 0},
         true,
         true,
         30000,
         "make 0x2C@0",
         TimingState::AtOnce,
         0},
        {"before the clocks are compared", steady, false, true, 30000, "make 0x2C@0",
         TimingState::Settling, 0},
        {"steady", steady, true, true, 30000, "make 0x2C@70", TimingState::Steady, 0},
        {"steady, a touch late", steady, true, true, 130000, "make 0x2C@0", TimingState::Steady, 1},
    };
    for (const auto& c : cases) {
        resetRemote();
        ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n"));
        server().opened(1);
        setRemoteDelay(c.setting);
        if (c.clockGood) {
            clockGood();
        }
        if (c.stamped) {
            touch(1, {{RemoteFingerDown, 0, 700, 600}}, c.agoUs);
        } else {
            send(1, touchMessage({{RemoteFingerDown, 0, 700, 600}}));
        }
        const std::vector<std::string> said = playUntil(fakePlatform.preciseUs + 150000);
        EXPECT_EQ(said, std::vector<std::string>{c.made}) << c.what;
        EXPECT_EQ(remoteStatus().timing.state, c.state) << c.what;
        EXPECT_EQ(remoteStatus().timing.late, c.late) << c.what;
        letGoRemoteFingers();
        updateController();
        clearStrokes();
    }
}

// Every way a phone goes, with strokes waiting: the key it holds goes up at
// once, the tap whose down and up both came still gives its make and break
// at their times, a touch whose up never came gives nothing. The window's
// close (the server stopped) drops whatever waits.
TEST_F(TimedPage, EveryWayThePhoneGoesLetsGoAndKeepsWholeTaps) {
    const std::vector<std::string> tapAfterBreak = {"break 0x2C@0", "make 0x11@60",
                                                    "break 0x11@90"};
    const struct {
        const char* what;
        void (*goes)();
        std::vector<std::string> strokes;
    } ways[] = {
        {"closed", [] { server().closed(1); }, tapAfterBreak},
        {"taken over", [] { server().opened(2); }, tapAfterBreak},
        {"hidden", [] { send(1, {RemoteLetGoMessage}); }, tapAfterBreak},
        {"a bad message", [] { send(1, {0x09}); }, tapAfterBreak},
        {"stopped", [] { stopRemote(); }, {"break 0x2C@0"}},
        // Silent: what waited went at its time; the silence lets go of all.
        {"silent", [] {}, {"make 0x11@60", "break 0x11@90", "make 0x2D@95"}},
    };
    for (const auto& way : ways) {
        resetRemote();
        fakeNetwork = FakeNetwork{};
        ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n"));
        fakePlatform.time = 0;
        server().opened(1);
        setRemoteDelay(DelaySetting{DelayMode::Fixed, 100});
        clockGood();
        touch(1, {{RemoteFingerDown, 0, 700, 600}}, 100000); // held now
        pass();
        ASSERT_EQ(strokes(), std::vector<std::string>{"make 0x2C"}) << way.what;
        clearStrokes();
        touch(1, {{RemoteFingerDown, 8, 1150, 100}}, 40000);
        touch(1, {{RemoteFingerUp, 8, 1150, 100}}, 10000);
        touch(1, {{RemoteFingerDown, 1, 831, 387}}, 5000);
        way.goes();
        EXPECT_EQ(playUntil(fakePlatform.preciseUs + 200000), way.strokes) << way.what;
        fakePlatform.time += RemoteSilenceMs;
        playUntil(fakePlatform.preciseUs);
        EXPECT_EQ(remoteFingersDown(), 0) << way.what;
        clearStrokes();
    }
}

} // namespace

// The round trips of the last minute: the reading at the median's and the
// 99th percentile's rank, of those not older than a minute, however the
// clock wraps and however many came.
TEST(RoundTrips, TheMedianAndThe99thOfTheLastMinute) {
    struct Case {
        const char* what;
        uint32_t firstAtMs;
        uint32_t stepMs;
        int32_t count;
        uint32_t nowAfterLastMs;
        RoundTripFigures figures;
    };
    // Readings 1, 2, 3 ... in that order, one each step.
    const Case cases[] = {
        {"none", 0, 250, 0, 0, {0, 0, 0}},
        {"one", 1000, 250, 1, 0, {1, 1, 1}},
        {"two", 1000, 250, 2, 0, {2, 1, 2}},
        {"a hundred", 1000, 250, 100, 0, {100, 50, 99}},
        {"a minute of pings", 1000, 250, 240, 0, {240, 120, 238}},
        {"more than a minute: the oldest drop out", 1000, 250, 300, 0, {241, 180, 298}},
        {"the oldest exactly a minute old is kept", 1000, 30000, 3, 0, {3, 2, 3}},
        {"all older than a minute", 1000, 250, 10, 60001, {0, 0, 0}},
        {"more than are kept", 1000, 10, 600, 0, {512, 344, 595}},
        {"the clock wraps", 0xFFFFF000u, 250, 100, 0, {100, 50, 99}},
    };
    for (const Case& c : cases) {
        RoundTrips trips = {};
        uint32_t now = c.firstAtMs;
        for (int32_t i = 0; i < c.count; ++i) {
            now = c.firstAtMs + static_cast<uint32_t>(i) * c.stepMs;
            noteRoundTrip(trips, now, static_cast<uint16_t>(i + 1));
        }
        const RoundTripFigures got = roundTripFigures(trips, now + c.nowAfterLastMs);
        EXPECT_EQ(got.count, c.figures.count) << c.what;
        EXPECT_EQ(got.medianMs, c.figures.medianMs) << c.what;
        EXPECT_EQ(got.percentile99Ms, c.figures.percentile99Ms) << c.what;
    }
    char text[128];
    describeRoundTrips(RoundTripFigures{240, 4, 19}, text, sizeof text);
    EXPECT_STREQ(text, "median 4 ms, 99th percentile 19 ms, of 240 in the last minute");
    describeRoundTrips(RoundTripFigures{}, text, sizeof text);
    EXPECT_STREQ(text, "");
}

// The phone's round trips on the health line while it is connected, and in
// the log when the controller stops serving it.
TEST_F(RemoteLink, TheRoundTripIsOnTheHealthLineAndInTheLogAtTheEnd) {
    server().opened(1);
    pass();
    char line[NoticeSize] = "touch 0/s";
    appendRoundTrips(line, sizeof line);
    EXPECT_STREQ(line, "touch 0/s"); // none measured yet
    send(1, {RemotePingMessage, 1, 0, 0, 0, 0xFF, 0xFF});
    pass();
    appendRoundTrips(line, sizeof line);
    EXPECT_STREQ(line, "touch 0/s"); // an unknown one is none
    for (uint8_t ms = 1; ms <= 100; ++ms) {
        fakePlatform.time += RemoteHeartbeatMs;
        send(1, {RemotePingMessage, ms, 0, 0, 0, ms, 0});
        pass();
    }
    appendRoundTrips(line, sizeof line);
    EXPECT_STREQ(line, "touch 0/s  phone round trip 50 ms median, 99 ms 99th (100)  at once: "
                       "this page sends no times (open the address again)");
    server().closed(1);
    pass();
    char waiting[NoticeSize] = "touch 0/s";
    appendRoundTrips(waiting, sizeof waiting); // no phone holds it
    EXPECT_STREQ(waiting, "touch 0/s");
}

// How the phone's touches are timed, as the health line, the page and the
// log say it.
TEST(RemoteTiming, SaysTheModeTheDelayTheLateShareAndTheClock) {
    const struct {
        RemoteTiming timing;
        const char* said;
    } cases[] = {
        {{TimingState::None, false, 0, -1, 0, 0}, ""},
        {{TimingState::Untimed, false, 0, -1, 0, 0},
         "at once: this page sends no times (open the address again)"},
        {{TimingState::AtOnce, false, 0, 800, 10, 0}, "at once: keys as their messages come"},
        {{TimingState::Settling, false, 0, -1, 0, 0},
         "steady: setting the clocks, keys at once meanwhile"},
        {{TimingState::Steady, false, 14400, 1230, 1000, 3},
         "steady: keys 14 ms after your finger, 0.3% late, clocks matched to 1.2 ms"},
        {{TimingState::Steady, true, 30000, 400, 0, 0},
         "steady (fixed): keys 30 ms after your finger, 0.0% late, clocks matched to 0.4 ms"},
    };
    for (const auto& c : cases) {
        char said[192];
        describeRemoteTiming(c.timing, said, sizeof said);
        EXPECT_STREQ(said, c.said);
    }
}

// Windows Firewall and the network's category, judged for the network behind
// the address the phone is told and for the server's port.
TEST(NetworkReach, TheFirewallIsJudgedForThePhonesNetworkAndPort) {
    const FirewallRuleView allowOurs = {true, true, true, ProfilePrivate, true, false, true};
    const FirewallRuleView blockOursPublic = {true, true, false, ProfilePublic, true, false, true};
    const FirewallRuleView blockOursAll = {true, true, false, 7, true, false, true};
    const FirewallRuleView allowPort = {true, true, true, 7, false, true, true};
    const FirewallRuleView blockPort = {true, true, false, 7, false, true, true};
    const FirewallRuleView blockOtherPort = {true, true, false, 7, false, true, false};
    const FirewallRuleView allowOursOff = {false, true, true, 7, true, false, true};
    const FirewallRuleView allowOursOut = {true, false, true, 7, true, false, true};
    struct Case {
        const char* what;
        uint32_t profile;
        uint32_t firewallOn;
        uint32_t blockAll;
        std::vector<FirewallRuleView> rules;
        uint32_t problems;
    };
    const Case cases[] = {
        {"no rule yet: Windows asks", ProfilePrivate, 7, 0, {}, ReachFirewallWillAsk},
        {"allowed on Private", ProfilePrivate, 7, 0, {allowOurs}, 0},
        {"allowed on Private, the phone's network Public",
         ProfilePublic,
         7,
         0,
         {allowOurs},
         ReachPublicNetwork | ReachFirewallBlocks},
        {"a Public-only block rule beside a Private allow, on Private",
         ProfilePrivate,
         7,
         0,
         {allowOurs, blockOursPublic},
         0},
        {"a block rule on every profile wins",
         ProfilePrivate,
         7,
         0,
         {allowOurs, blockOursAll},
         ReachFirewallBlocks},
        {"block all incoming connections",
         ProfilePrivate,
         7,
         ProfilePrivate,
         {allowOurs},
         ReachFirewallBlocks},
        {"block all incoming on Public only", ProfilePrivate, 7, ProfilePublic, {allowOurs}, 0},
        {"a rule of every program for the port",
         ProfilePrivate,
         7,
         0,
         {allowPort, allowOursOff},
         0},
        {"a port's block rule", ProfilePrivate, 7, 0, {allowOurs, blockPort}, ReachFirewallBlocks},
        {"another port's block rule", ProfilePrivate, 7, 0, {allowOurs, blockOtherPort}, 0},
        {"only a rule turned off", ProfilePrivate, 7, 0, {allowOursOff}, ReachFirewallBlocks},
        {"only an outbound rule", ProfilePrivate, 7, 0, {allowOursOut}, ReachFirewallBlocks},
        {"the firewall off there", ProfilePrivate, ProfilePublic, 0, {}, 0},
        {"a Public network, the firewall off", ProfilePublic, 0, 0, {}, ReachPublicNetwork},
        {"no network known (a cable, the loopback)", 0, 7, 0, {}, 0},
        {"a Domain network, no rule yet", ProfileDomain, 7, 0, {}, ReachFirewallWillAsk},
    };
    for (const Case& c : cases) {
        ReachView view = {};
        view.profile = c.profile;
        view.firewallRead = true;
        view.firewallOn = c.firewallOn;
        view.blockAllInbound = c.blockAll;
        for (const FirewallRuleView& rule : c.rules) {
            view.rules[view.ruleCount++] = rule;
        }
        EXPECT_EQ(judgeReach(view), c.problems) << c.what;
    }
    // A firewall that could not be read says nothing of itself.
    ReachView unread = {};
    unread.profile = ProfilePublic;
    EXPECT_EQ(judgeReach(unread), ReachPublicNetwork);
}

TEST(NetworkReach, APortListTakesThePortAsTheFirewallWritesIt) {
    struct Case {
        const char* ports;
        bool covers;
    };
    const Case cases[] = {
        {"*", true},        {"8750", true},      {"8749", false},      {"80,8750", true},
        {"80, 8750", true}, {"8000-9000", true}, {"8751-9000", false}, {"80,8000-8750", true},
        {"RPC,8750", true}, {"RPC", false},      {"", false},          {"-8750", false},
        {"87500", false},   {"875a", false},     {"8750-", false},     {"9000-8000", false},
        {"1-65535", true},  {"0008750", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(portListCovers(c.ports, 8750), c.covers) << c.ports;
    }
    EXPECT_FALSE(portListCovers(nullptr, 8750));
}
