#include "remote/remote_link.h"

#include "base/format_text.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "remote/host_addresses.h"
#include "remote/network.h"
#include "remote/network_reach.h"
#include "remote/remote_fingers.h"
#include "remote/remote_gate.h"
#include "remote/remote_message.h"
#include "remote/remote_page.h"
#include "remote/round_trips.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

enum class EventKind : uint8_t { Opened, Message, Closed };

struct Event {
    EventKind kind;
    ConnectionId connection;
    uint8_t size;
    uint8_t data[RemoteMessageMax];
};

struct RateWindow {
    uint32_t startMs;
    uint32_t count;
};

// What the server's threads share with the main loop.
struct Inbox {
    std::mutex lock;
    std::vector<Event> events;
    RemoteGate gate;
    std::unordered_map<ConnectionId, RateWindow> rates;
    uint32_t refused = 0;
};

Inbox inbox;

struct Session {
    bool running = false;
    ConnectionId holder = 0;
    uint32_t lastHeardMs = 0;
    std::string layoutText;
    // Taken from the inbox, not yet filed: what came after a change of the
    // page's fingers waits for the next pass.
    std::deque<Event> pending;
    // The round trips the page measured, and their figures as last worked
    // out (again once a new one comes, or a second later, as the oldest age).
    RoundTrips roundTrips = {};
    RoundTripFigures figures = {};
    uint32_t figuresAtMs = 0;
    bool figuresDue = false;
};

Session session;
RemoteStatus status;

// What Windows knows that keeps a phone out is asked on a thread of its own
// after the start: reading the firewall's rules can take a tenth of a
// second, which the main loop must never wait for while a player plays.
struct ReachCheck {
    std::thread thread;
    // The address the phone is told and the server's port, as last served.
    char address[48] = "127.0.0.1";
    uint16_t port = RemotePort;
    std::atomic<bool> done{true};
    std::atomic<uint32_t> problems{0};
    // A check still under way when the process ends (nothing stopped the
    // server) is waited for: it ends within moments.
    ~ReachCheck() {
        if (thread.joinable()) {
            thread.join();
        }
    }
};

ReachCheck reachCheck;

void startReachCheck() {
    if (reachCheck.thread.joinable()) {
        return; // one under way
    }
    reachCheck.done = false;
    reachCheck.thread = std::thread([] {
        reachCheck.problems = network.reachProblems(reachCheck.address, reachCheck.port);
        reachCheck.done = true;
        platform.wakeMainLoop();
    });
}

// The answer of a check that has finished, if any.
void takeReachCheck() {
    if (reachCheck.thread.joinable() && reachCheck.done) {
        reachCheck.thread.join();
        status.reachProblems = reachCheck.problems;
    }
}

void endReachCheck() {
    if (reachCheck.thread.joinable()) {
        reachCheck.thread.join();
    }
}

// The server's threads queue what comes for the main loop and wake it once
// the lock is let go, so that it does not wake only to wait for the lock.

Admission admit(const SocketRequest& request, uint32_t* retryAfterMs) {
    std::lock_guard<std::mutex> hold(inbox.lock);
    const Admission admission = admitToGate(inbox.gate, request, platform.timeMs(), retryAfterMs);
    inbox.refused += admission == Admission::Admit ? 0 : 1;
    return admission;
}

void opened(ConnectionId connection) {
    {
        std::lock_guard<std::mutex> hold(inbox.lock);
        inbox.rates[connection] = RateWindow{platform.timeMs(), 0};
        inbox.events.push_back(Event{EventKind::Opened, connection, 0, {}});
    }
    platform.wakeMainLoop();
}

// Whether the message is queued.
bool queueMessage(ConnectionId connection, const uint8_t* data, size_t size, bool binary) {
    std::lock_guard<std::mutex> hold(inbox.lock);
    RateWindow& rate = inbox.rates[connection];
    const uint32_t now = platform.timeMs();
    if (now - rate.startMs >= 1000) {
        rate = RateWindow{now, 0};
    }
    // The page sends small binary messages, and not too many: anything
    // else ends the connection.
    if (!binary || size == 0 || size > RemoteMessageMax || ++rate.count > RemoteMessagesPerSecond ||
        inbox.events.size() >= RemoteQueueMax) {
        ++inbox.refused;
        return false;
    }
    Event event{EventKind::Message, connection, static_cast<uint8_t>(size), {}};
    std::memcpy(event.data, data, size);
    inbox.events.push_back(event);
    return true;
}

bool received(ConnectionId connection, const uint8_t* data, size_t size, bool binary) {
    if (!queueMessage(connection, data, size, binary)) {
        return false;
    }
    platform.wakeMainLoop();
    return true;
}

void closed(ConnectionId connection) {
    {
        std::lock_guard<std::mutex> hold(inbox.lock);
        inbox.rates.erase(connection);
        inbox.events.push_back(Event{EventKind::Closed, connection, 0, {}});
    }
    platform.wakeMainLoop();
}

void sendText(ConnectionId connection, const std::string& text) {
    network.sendMessage(connection, reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                        true);
}

// Whether the page's fingers in the table changed.
bool endHolding(RemoteState next) {
    const bool held = remoteFingersDown() > 0;
    letGoRemoteFingers();
    session.holder = 0;
    status.state = next;
    status.roundTripMs = -1;
    return held;
}

bool takeMessage(const Event& event) {
    RemoteMessage message;
    if (!decodeRemoteMessage(event.data, event.size, message)) {
        ++status.refusedCount;
        network.closeConnection(event.connection);
        return endHolding(RemoteState::Waiting);
    }
    session.lastHeardMs = platform.timeMs();
    if (message.type == RemoteTouchMessage) {
        fileRemoteRecords(message.records, message.recordCount);
        return true;
    }
    if (message.type == RemoteLetGoMessage) {
        letGoRemoteFingers();
        return true;
    }
    if (message.type == RemotePingMessage) {
        uint8_t pong[RemotePongSize];
        encodeRemotePong(message.token, pong);
        network.sendMessage(event.connection, pong, sizeof pong, false);
        status.roundTripMs =
            message.roundTripMs == RemoteRoundTripUnknown ? -1 : message.roundTripMs;
        if (status.roundTripMs >= 0) {
            noteRoundTrip(session.roundTrips, platform.timeMs(), message.roundTripMs);
            session.figuresDue = true;
        }
    }
    return false;
}

// Whether the page's fingers in the table changed.
bool takeEvent(const Event& event) {
    bool changed = false;
    switch (event.kind) {
    case EventKind::Opened:
        if (session.holder != 0) {
            sendText(session.holder, "taken");
            network.closeConnection(session.holder);
            ++status.takenOver;
            changed = endHolding(RemoteState::Waiting);
        }
        session.holder = event.connection;
        session.lastHeardMs = platform.timeMs();
        status.state = RemoteState::Connected;
        sendText(event.connection, "layout\n" + session.layoutText);
        break;
    case EventKind::Message:
        // What a page sends after it lost the controller is not used.
        changed = event.connection == session.holder && takeMessage(event);
        break;
    case EventKind::Closed:
        changed = event.connection == session.holder && endHolding(RemoteState::Waiting);
        break;
    }
    return changed;
}

} // namespace

bool startRemote(const char* code, const char* layoutText, uint16_t port) {
    stopRemote();
    status = RemoteStatus{};
    // Every address of the PC serves the page and its socket; the screen and
    // the QR code give the likeliest first.
    HostAddress addresses[MaxHostAddresses] = {};
    const int32_t count =
        rankHostAddresses(addresses, std::clamp(network.localAddresses(addresses, MaxHostAddresses),
                                                0, MaxHostAddresses));
    const char* names[MaxHostAddresses] = {};
    for (int32_t i = 0; i < count; ++i) {
        names[i] = addresses[i].text;
    }
    // No network: the loopback still serves a phone on a USB cable.
    const char* shown = count > 0 ? names[0] : "127.0.0.1";
    formatText(status.address, "http://%s:%u/#%s", shown, static_cast<unsigned>(port), code);
    size_t used = 0;
    for (int32_t i = 1; i < count && used < sizeof status.otherAddresses; ++i) {
        const int written =
            formatTextN(status.otherAddresses + used, sizeof status.otherAddresses - used, "%s%s",
                        i > 1 ? " " : "", names[i]);
        used += written > 0 ? static_cast<size_t>(written) : 0;
    }
    {
        std::lock_guard<std::mutex> hold(inbox.lock);
        openGate(inbox.gate, code, names, count, port, platform.timeMs());
        inbox.refused = 0;
    }
    session.layoutText = layoutText;
    const ServerSettings settings = {port, RemotePage, RemotePageSize,
                                     ServerHandlers{admit, opened, received, closed}};
    char problem[128] = {};
    if (!network.startServer(settings, problem, sizeof problem)) {
        status.state = RemoteState::Failed;
        formatText(status.problem, "the remote controller cannot start: %s", problem);
        return false;
    }
    session.running = true;
    status.state = RemoteState::Waiting;
    // Asked at once, on the check's own thread: the firewall's answer can
    // take a tenth of a second, which the start does not wait for.
    formatText(reachCheck.address, "%s", shown);
    reachCheck.port = port;
    startReachCheck();
    status.reachCheckedMs = platform.timeMs();
    return true;
}

void changeRemoteLayout(const char* layoutText) {
    if (session.layoutText == layoutText) {
        return;
    }
    session.layoutText = layoutText;
    if (session.running && session.holder != 0) {
        sendText(session.holder, "layout\n" + session.layoutText);
    }
}

void stopRemote() {
    endReachCheck();
    // The page's fingers lift first; the server may take its time to stop.
    // A server that could not start keeps saying why.
    session.pending.clear();
    endHolding(status.state == RemoteState::Failed ? RemoteState::Failed : RemoteState::Off);
    if (session.running) {
        network.stopServer();
        session.running = false;
    }
    {
        std::lock_guard<std::mutex> hold(inbox.lock);
        inbox.events.clear();
        inbox.rates.clear();
    }
}

void pollRemote() {
    if (!session.running) {
        return;
    }
    // The network's category and the firewall can change while no phone is
    // in (the player follows the screen's advice).
    takeReachCheck();
    if (status.state == RemoteState::Waiting) {
        const uint32_t now = platform.timeMs();
        if (now - status.reachCheckedMs >= ReachCheckMs) {
            startReachCheck();
            status.reachCheckedMs = now;
        }
        requestPassBy(status.reachCheckedMs + ReachCheckMs);
    }
    {
        std::lock_guard<std::mutex> hold(inbox.lock);
        // The inbox is taken only once what was taken before is filed: its
        // bound holds for both, and a page that sends faster than the passes
        // file it finds the inbox full and is closed.
        if (session.pending.empty()) {
            session.pending.assign(inbox.events.begin(), inbox.events.end());
            inbox.events.clear();
        }
        status.refusedCount += inbox.refused;
        inbox.refused = 0;
    }
    // As a touch message is one pass's message: the scene sees every change
    // of the fingers, so a tap whose down and up came together still presses.
    bool changed = false;
    while (!changed && !session.pending.empty()) {
        changed = takeEvent(session.pending.front());
        session.pending.pop_front();
    }
    if (!session.pending.empty()) {
        requestPassIn(0);
    }
    if (session.holder != 0 && remoteFingersDown() > 0) {
        // A page that falls silent lets go.
        const uint32_t silentMs = platform.timeMs() - session.lastHeardMs;
        if (silentMs >= RemoteSilenceMs) {
            letGoRemoteFingers();
        } else {
            requestPassBy(session.lastHeardMs + RemoteSilenceMs);
        }
    }
}

RoundTripFigures remoteRoundTrips() {
    const uint32_t now = platform.timeMs();
    if (session.figuresDue || now - session.figuresAtMs >= 1000) {
        session.figures = roundTripFigures(session.roundTrips, now);
        session.figuresAtMs = now;
        session.figuresDue = false;
    }
    return session.figures;
}

bool remoteInputWaiting() {
    if (!session.pending.empty()) {
        return true;
    }
    std::lock_guard<std::mutex> hold(inbox.lock);
    return !inbox.events.empty();
}

const RemoteStatus& remoteStatus() {
    return status;
}

void resetRemote() {
    stopRemote();
    status = RemoteStatus{};
    session = Session{};
    resetRemoteFingers();
}
