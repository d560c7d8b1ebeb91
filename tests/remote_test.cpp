// The remote controller's rules: its messages, its gate, the page's fingers
// in the touch table and one page at a time, with a network that records.
#include "engine/engine.h"
#include "support/controller_fixture.h"
#include "support/fake_network.h"
#include "remote/network.h"
#include "remote/remote_fingers.h"
#include "remote/remote_gate.h"
#include "remote/remote_link.h"
#include "remote/remote_message.h"

#include <gtest/gtest.h>

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
        {{0x04}, false},
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

    const uint8_t ping[] = {RemotePingMessage, 0x78, 0x56, 0x34, 0x12, 9, 0};
    ASSERT_TRUE(decodeRemoteMessage(ping, sizeof ping, message));
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

TEST(RemoteGate, OnlyThePagesOwnAddressWithTheCode) {
    struct Case {
        SocketRequest asked;
        Admission admission;
    };
    const Case cases[] = {
        {request("a", "code=7k2m9xq4hd0c"), Admission::Admit},
        {request("a", "x=1&code=7k2m9xq4hd0c&y=2"), Admission::Admit},
        {request("a", "code=7k2m9xq4hd0c", "localhost:8750", "http://localhost:8750"),
         Admission::Admit},
        {request("a", "code=7k2m9xq4hd0c", "127.0.0.1:8750", "http://127.0.0.1:8750"),
         Admission::Admit},
        {request("a", "code=7k2m9xq4hd0d"), Admission::Refuse},
        {request("b", "code=7k2m9xq4hd0"), Admission::Refuse},
        {request("c", "code=7k2m9xq4hd0cc"), Admission::Refuse},
        {request("d", ""), Admission::Refuse},
        {request("e", "code="), Admission::Refuse},
        {request("f", "Code=7k2m9xq4hd0c"), Admission::Refuse},
        // Another site's page, or this page under a name that is not ours.
        {request("g", "code=7k2m9xq4hd0c", "192.168.1.20:8750", "http://evil.example"),
         Admission::Refuse},
        {request("h", "code=7k2m9xq4hd0c", "192.168.1.20:8750", ""), Admission::Refuse},
        {request("i", "code=7k2m9xq4hd0c", "evil.example:8750", "http://evil.example:8750"),
         Admission::Refuse},
        {request("j", "code=7k2m9xq4hd0c", "192.168.1.20:8751", "http://192.168.1.20:8751"),
         Admission::Refuse},
        {request("k", "code=7k2m9xq4hd0c", "192.168.1.20:8750", "https://192.168.1.20:8750"),
         Admission::Refuse},
    };
    for (const Case& c : cases) {
        RemoteGate gate;
        openGate(gate, Code, "192.168.1.20", 8750);
        EXPECT_EQ(admitToGate(gate, c.asked, 100), c.admission) << c.asked.peer;
    }
}

TEST(RemoteGate, WrongCodesShutTheirAddressOutLongerEachTime) {
    RemoteGate gate;
    openGate(gate, Code, "192.168.1.20", 8750);
    const SocketRequest wrong = request("10.0.0.9", "code=000000000000");
    const SocketRequest right = request("10.0.0.9", "code=7k2m9xq4hd0c");
    uint32_t now = 5000;
    uint32_t wait = GateFirstWaitMs;
    for (int attempt = 0; attempt < 9; ++attempt) {
        EXPECT_EQ(admitToGate(gate, wrong, now), Admission::Refuse) << attempt;
        // Shut out, the right code too, until the wait is over.
        EXPECT_EQ(admitToGate(gate, right, now + wait - 1), Admission::Throttled) << attempt;
        EXPECT_EQ(admitToGate(gate, request("10.0.0.10", "code=7k2m9xq4hd0c"), now + 1),
                  Admission::Admit);
        now += wait;
        wait = std::min(wait * 2, GateLongestWaitMs);
    }
    EXPECT_EQ(wait, GateLongestWaitMs);
    EXPECT_EQ(admitToGate(gate, right, now), Admission::Admit);
    // Let in, the address starts afresh.
    EXPECT_EQ(admitToGate(gate, wrong, now), Admission::Refuse);
    EXPECT_EQ(admitToGate(gate, right, now + GateFirstWaitMs), Admission::Admit);
}

TEST(RemoteGate, ManyAddressesKeepTheLatestOnesShutOut) {
    RemoteGate gate;
    openGate(gate, Code, "192.168.1.20", 8750);
    for (int i = 0; i < GateAddressesKept + 5; ++i) {
        const std::string peer = "10.0.1." + std::to_string(i);
        EXPECT_EQ(admitToGate(gate, request(peer.c_str(), "code=x"), 1000 + i), Admission::Refuse);
    }
    const std::string last = "10.0.1." + std::to_string(GateAddressesKept + 4);
    EXPECT_EQ(admitToGate(gate, request(last.c_str(), "code=7k2m9xq4hd0c"), 1100),
              Admission::Throttled);
    // The oldest were forgotten to make room.
    EXPECT_EQ(admitToGate(gate, request("10.0.1.0", "code=7k2m9xq4hd0c"), 1100), Admission::Admit);
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

TEST_F(RemoteLink, ServesTheLayoutAndTurnsTouchesIntoKeysInThePassThatTakesThem) {
    EXPECT_EQ(fakeNetwork.settings.port, RemotePort);
    EXPECT_STREQ(remoteStatus().address, "http://192.168.1.20:8750/#7k2m9xq4hd0c");
    EXPECT_EQ(remoteStatus().state, RemoteState::Waiting);
    EXPECT_EQ(server().admit(request("p", "code=7k2m9xq4hd0c")), Admission::Admit);
    server().opened(1);
    EXPECT_TRUE(send(1, touchMessage({{RemoteFingerDown, 0, 700, 600}})));
    EXPECT_GE(fakeMainLoopWakes.load(), 2);
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
// still a press: each change of the fingers has a pass of its own.
TEST_F(RemoteLink, FingersThatCameTogetherAreFiledOnePassEach) {
    server().opened(1);
    send(1, touchMessage({{RemoteFingerDown, 0, 700, 600}}));
    send(1, touchMessage({{RemoteFingerUp, 0, 700, 600}}));
    send(1, touchMessage({{RemoteFingerDown, 1, 1150, 100}}));
    server().closed(1);
    std::vector<std::vector<std::string>> passes;
    std::vector<bool> waited;
    for (int i = 0; i < 5; ++i) {
        clearStrokes();
        const size_t waits = fakePlatform.waits.size();
        runMainLoopPass();
        passes.push_back(strokes());
        waited.push_back(fakePlatform.waits.size() > waits);
    }
    const std::vector<std::vector<std::string>> expected = {
        {"make 0x2C"}, {"break 0x2C"}, {"make 0x11"}, {"break 0x11"}, {}};
    EXPECT_EQ(passes, expected);
    // While more waits, the next pass comes at once.
    EXPECT_EQ(waited, (std::vector<bool>{true, false, false, false, true}));
}

TEST_F(RemoteLink, EveryEndOfTheConnectionLetsGo) {
    struct Ending {
        const char* name;
        void (*end)();
    };
    const Ending endings[] = {
        {"closed", [] { server().closed(1); }},
        {"silent", [] { fakePlatform.time += RemoteSilenceMs; }},
        {"bad message", [] { EXPECT_TRUE(send(1, {0x09})); }},
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

TEST_F(RemoteLink, APortInUseIsSaidAndNothingRuns) {
    resetRemote();
    fakeNetwork = FakeNetwork{};
    fakeNetwork.startFails = true;
    EXPECT_FALSE(startRemote(Code, "layout 1\n"));
    EXPECT_EQ(remoteStatus().state, RemoteState::Failed);
    EXPECT_STREQ(remoteStatus().problem, "the remote controller cannot start: port 8750 is in use");
    pollRemote();
    EXPECT_FALSE(fakeNetwork.started);
}

} // namespace
