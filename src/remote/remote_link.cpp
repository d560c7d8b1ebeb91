#include "remote/remote_link.h"

#include "base/format_text.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "remote/host_addresses.h"
#include "remote/network.h"
#include "remote/network_reach.h"
#include "remote/page_clock.h"
#include "remote/remote_fingers.h"
#include "remote/remote_gate.h"
#include "remote/remote_message.h"
#include "remote/remote_page.h"
#include "remote/touch_schedule.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

struct RateWindow {
    uint32_t startMs;
    uint32_t count;
};

// A ping of the page as it was answered, for the exchange the next ping
// completes with when its pong came back.
struct PingAnswered {
    uint32_t token;
    uint32_t pageSentUs;
    uint64_t receivedUs;
    uint64_t answeredUs;
};
constexpr size_t PingsKept = 8;

// How the touches of the page that holds the controller are timed.
struct PageTiming {
    bool stamps = false; // the page stamps its touches with their times
    PageClock clock = {};
    SteadyDelay delay = {};
    PingAnswered pings[PingsKept] = {};
    size_t nextPing = 0;
    uint64_t chosenAtUs = 0;
    uint32_t touches = 0;
    uint32_t late = 0;
    std::string toldPage; // the page's timing line as last sent
};
// The lag is chosen again at most this often as touches come.
constexpr uint64_t ChooseEveryUs = 50000;

// What the server's threads do to the network once the lock is let go.
struct Outgoing {
    ConnectionId connection;
    std::string bytes;
    bool text;
    bool close;
};

// What the server's threads share with the main loop (under the lock).
struct Shared {
    std::mutex lock;
    RemoteGate gate;
    std::unordered_map<ConnectionId, RateWindow> rates;
    uint32_t refused = 0;
    ConnectionId holder = 0;
    uint32_t lastHeardMs = 0;
    bool silenceLetGo = false; // the page's silence was answered by a let-go
    std::string layoutText;
    DelaySetting setting = {};
    PageTiming timing;
    RemoteTiming timingsSoFar; // of the pages before the one that holds it
    TouchSchedule schedule;
    // The main loop wakes for the schedule's first entry by then without
    // being woken (0: it must be woken); a wake was posted and not yet taken.
    uint64_t armedUs = 0;
    bool wakePosted = false;
    RemoteState state = RemoteState::Off;
    int32_t roundTripMs = -1;
    uint32_t takenOver = 0;
    RoundTrips roundTrips = {};
    bool figuresDue = false;
};

Shared shared;

struct Session {
    bool running = false;
    // The round trips' figures as last worked out (again once a new one
    // came, or a second later, as the oldest age).
    RoundTripFigures figures = {};
    uint32_t figuresAtMs = 0;
};

Session session;
RemoteStatus status;

// The lateness of strokes that waited for their time (main thread).
struct WakeErrors {
    int32_t us[1024];
    size_t next;
    size_t count;
};
WakeErrors wakeErrors = {};

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

// Under the lock: the timing of the page that holds the controller, as said.
RemoteTiming timingNow() {
    RemoteTiming timing;
    const PageTiming& page = shared.timing;
    if (shared.holder == 0) {
        return timing;
    }
    timing.touches = page.touches;
    timing.late = page.late;
    timing.clockErrorUs = static_cast<int32_t>(
        std::min<int64_t>(pageClockErrorUs(page.clock), PageClockLongestRoundTripUs));
    timing.fixed = shared.setting.mode == DelayMode::Fixed;
    if (!page.stamps) {
        timing.state = TimingState::Untimed;
    } else if (shared.setting.mode == DelayMode::AtOnce) {
        timing.state = TimingState::AtOnce;
    } else if (!page.delay.chosen) {
        timing.state = TimingState::Settling;
    } else {
        timing.state = TimingState::Steady;
        timing.delayUs = static_cast<int32_t>(std::clamp<int64_t>(
            page.delay.chosenLagUs - page.clock.offsetUs, 0, FixedDelayMostMs * 1000));
    }
    return timing;
}

// Under the lock: the page that held the controller goes. What it holds is
// let go at once (the main loop's next pass); what waited is dropped but
// for whole taps.
void phoneGoes(uint64_t nowUs) {
    dropWaitingTouches(shared.schedule, nowUs);
    const RemoteTiming timing = timingNow();
    shared.timingsSoFar.touches += timing.touches;
    shared.timingsSoFar.late += timing.late;
    shared.timing = PageTiming{};
}

// Under the lock: whether the main loop must be woken for an entry due then.
bool wakeFor(uint64_t dueUs) {
    if (shared.wakePosted || (shared.armedUs != 0 && dueUs >= shared.armedUs)) {
        return false;
    }
    shared.wakePosted = true;
    return true;
}

void sendAll(const std::vector<Outgoing>& outgoing) {
    for (const Outgoing& out : outgoing) {
        if (out.close) {
            network.closeConnection(out.connection);
        } else {
            network.sendMessage(out.connection, reinterpret_cast<const uint8_t*>(out.bytes.data()),
                                out.bytes.size(), out.text);
        }
    }
}

Admission admit(const SocketRequest& request, uint32_t* retryAfterMs) {
    std::lock_guard<std::mutex> hold(shared.lock);
    const Admission admission = admitToGate(shared.gate, request, platform.timeMs(), retryAfterMs);
    shared.refused += admission == Admission::Admit ? 0 : 1;
    return admission;
}

void opened(ConnectionId connection) {
    std::vector<Outgoing> outgoing;
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        const uint64_t now = platform.preciseTimeUs();
        shared.rates[connection] = RateWindow{platform.timeMs(), 0};
        if (shared.holder != 0) {
            outgoing.push_back(Outgoing{shared.holder, "taken", true, false});
            outgoing.push_back(Outgoing{shared.holder, "", false, true});
            ++shared.takenOver;
            phoneGoes(now);
        }
        shared.holder = connection;
        shared.lastHeardMs = platform.timeMs();
        shared.silenceLetGo = false;
        shared.state = RemoteState::Connected;
        shared.roundTripMs = -1;
        outgoing.push_back(Outgoing{connection, "layout\n" + shared.layoutText, true, false});
        wakeFor(now);
    }
    sendAll(outgoing);
    platform.wakeMainLoop();
}

// Under the lock: a touch message of the page that holds the controller.
// Whether the main loop must be woken for it.
bool takeTouch(const RemoteMessage& message, uint64_t arrivalUs) {
    PageTiming& page = shared.timing;
    uint64_t dueUs = 0;
    if (message.timed) {
        page.stamps = true;
        const int64_t touched = pageTime(page.clock, message.pageUs);
        if (page.clock.good) {
            noteLag(page.delay, arrivalUs, touched);
        }
        if (!page.delay.chosen || arrivalUs - page.chosenAtUs >= ChooseEveryUs) {
            chooseLag(page.delay, shared.setting, page.clock.good, page.clock.offsetUs,
                      !shared.schedule.waiting.empty(), arrivalUs);
            page.chosenAtUs = arrivalUs;
        }
        if (page.delay.chosen) {
            // Never later than the longest delay from now: a time far ahead
            // is a clock gone wrong, not a touch to wait for.
            const int64_t most = page.delay.chosenLagUs - page.clock.offsetUs;
            const int64_t due =
                std::min(touched + page.delay.chosenLagUs,
                         static_cast<int64_t>(arrivalUs) + std::max<int64_t>(most, 0));
            dueUs = static_cast<uint64_t>(std::max<int64_t>(due, 1));
            ++page.touches;
        }
    }
    const bool late =
        scheduleTouch(shared.schedule, message.records, message.recordCount, dueUs, arrivalUs);
    page.late += late ? 1 : 0;
    return wakeFor(shared.schedule.waiting.back().dueUs);
}

// Under the lock: a ping of the page that holds the controller, answered at
// once; a timed one completes the exchange of the ping before it.
void takePing(const RemoteMessage& message, ConnectionId connection, uint64_t arrivalUs,
              std::vector<Outgoing>& outgoing) {
    uint8_t pong[RemotePongSize];
    encodeRemotePong(message.token, pong);
    outgoing.push_back(Outgoing{connection, std::string(reinterpret_cast<char*>(pong), sizeof pong),
                                false, false});
    shared.roundTripMs = message.roundTripMs == RemoteRoundTripUnknown ? -1 : message.roundTripMs;
    if (shared.roundTripMs >= 0) {
        noteRoundTrip(shared.roundTrips, platform.timeMs(), message.roundTripMs);
        shared.figuresDue = true;
    }
    if (!message.timed) {
        return;
    }
    PageTiming& page = shared.timing;
    page.stamps = true;
    const uint32_t restarts = page.clock.restarts;
    for (const PingAnswered& ping : page.pings) {
        if (message.answeredToken != 0 && ping.token == message.answeredToken) {
            noteClockExchange(page.clock, ClockExchange{ping.pageSentUs, ping.receivedUs,
                                                        ping.answeredUs, message.answeredPageUs});
        }
    }
    // Lags are counted once the clocks are compared, not from a page still
    // starting; a clock that jumped makes them worthless.
    if (page.clock.restarts != restarts) {
        resetSteadyDelay(page.delay);
    }
    if (page.clock.good) {
        noteLag(page.delay, arrivalUs, pageTime(page.clock, message.pageUs));
    }
    chooseLag(page.delay, shared.setting, page.clock.good, page.clock.offsetUs,
              !shared.schedule.waiting.empty(), arrivalUs);
    page.chosenAtUs = arrivalUs;
    // The pong goes as the lock is let go: its time is now.
    page.pings[page.nextPing] =
        PingAnswered{message.token, message.pageUs, arrivalUs, platform.preciseTimeUs()};
    page.nextPing = (page.nextPing + 1) % PingsKept;
    // The page shows how its touches are timed: told again when that changed.
    char line[192];
    const RemoteTiming timing = timingNow();
    describeRemoteTiming(timing, line, sizeof line);
    char figures[96];
    formatText(figures, "%d %d %u %u %d", static_cast<int>(timing.state),
               static_cast<int>(timing.delayUs), static_cast<unsigned>(timing.late),
               static_cast<unsigned>(timing.touches), static_cast<int>(timing.clockErrorUs));
    std::string told = std::string("timing\n") + figures + "\n" + line;
    if (told != page.toldPage) {
        page.toldPage = told;
        outgoing.push_back(Outgoing{connection, told, true, false});
    }
}

// Under the lock: whether the message is taken (false ends the connection);
// wake says whether the main loop must be woken.
bool takeMessage(ConnectionId connection, const uint8_t* data, size_t size, bool binary,
                 uint64_t arrivalUs, std::vector<Outgoing>& outgoing, bool& wake) {
    RateWindow& rate = shared.rates[connection];
    const uint32_t arrivalMs = platform.timeMs();
    if (arrivalMs - rate.startMs >= 1000) {
        rate = RateWindow{arrivalMs, 0};
    }
    // The page sends small binary messages, and not too many: anything
    // else ends the connection.
    if (!binary || size == 0 || size > RemoteMessageMax || ++rate.count > RemoteMessagesPerSecond ||
        shared.schedule.waiting.size() >= RemoteQueueMax) {
        ++shared.refused;
        return false;
    }
    // What a page sends after it lost the controller is not used.
    if (connection != shared.holder) {
        return true;
    }
    RemoteMessage message;
    if (!decodeRemoteMessage(data, size, message)) {
        ++shared.refused;
        phoneGoes(arrivalUs);
        shared.holder = 0;
        shared.state = RemoteState::Waiting;
        shared.roundTripMs = -1;
        wake = wakeFor(arrivalUs);
        return false;
    }
    shared.lastHeardMs = platform.timeMs();
    shared.silenceLetGo = false;
    if (message.type == RemoteTouchMessage || message.type == RemoteTimedTouchMessage) {
        wake = takeTouch(message, arrivalUs);
    } else if (message.type == RemoteLetGoMessage) {
        dropWaitingTouches(shared.schedule, arrivalUs);
        wake = wakeFor(arrivalUs);
    } else {
        takePing(message, connection, arrivalUs, outgoing);
    }
    return true;
}

bool received(ConnectionId connection, const uint8_t* data, size_t size, bool binary) {
    std::vector<Outgoing> outgoing;
    bool wake = false;
    bool taken = false;
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        taken =
            takeMessage(connection, data, size, binary, platform.preciseTimeUs(), outgoing, wake);
    }
    sendAll(outgoing);
    if (wake) {
        platform.wakeMainLoop();
    }
    return taken;
}

void closed(ConnectionId connection) {
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.rates.erase(connection);
        if (connection != shared.holder) {
            return;
        }
        const uint64_t now = platform.preciseTimeUs();
        phoneGoes(now);
        shared.holder = 0;
        shared.state = RemoteState::Waiting;
        shared.roundTripMs = -1;
        wakeFor(now);
    }
    platform.wakeMainLoop();
}

// Main thread, under the lock: what the status says of the shared state.
void takeStatus() {
    status.state = shared.state;
    status.roundTripMs = shared.roundTripMs;
    status.takenOver = shared.takenOver;
    status.refusedCount += shared.refused;
    shared.refused = 0;
    status.timing = timingNow();
}

void noteWakeError(int64_t lateUs) {
    wakeErrors.us[wakeErrors.next] = static_cast<int32_t>(std::clamp<int64_t>(lateUs, 0, 1000000));
    wakeErrors.next = (wakeErrors.next + 1) % std::size(wakeErrors.us);
    wakeErrors.count = std::min(wakeErrors.count + 1, std::size(wakeErrors.us));
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
        std::lock_guard<std::mutex> hold(shared.lock);
        openGate(shared.gate, code, names, count, port, platform.timeMs());
        shared.refused = 0;
        shared.layoutText = layoutText;
        shared.state = RemoteState::Waiting;
    }
    const ServerSettings settings = {port, RemotePage, RemotePageSize,
                                     ServerHandlers{admit, opened, received, closed}};
    char problem[128] = {};
    if (!network.startServer(settings, problem, sizeof problem)) {
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.state = RemoteState::Failed;
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
    ConnectionId holder = 0;
    std::string text;
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        if (shared.layoutText == layoutText) {
            return;
        }
        shared.layoutText = layoutText;
        holder = session.running ? shared.holder : 0;
        text = "layout\n" + shared.layoutText;
    }
    if (holder != 0) {
        sendAll({Outgoing{holder, text, true, false}});
    }
}

void setRemoteDelay(const DelaySetting& setting) {
    std::lock_guard<std::mutex> hold(shared.lock);
    shared.setting = setting;
    shared.setting.fixedMs = std::clamp(setting.fixedMs, 0, FixedDelayMostMs);
    // Chosen afresh for the new setting, from the lags the page gave.
    shared.timing.delay.chosen = false;
    shared.timing.chosenAtUs = 0;
}

DelaySetting remoteDelay() {
    std::lock_guard<std::mutex> hold(shared.lock);
    return shared.setting;
}

void stopRemote() {
    endReachCheck();
    // The page's fingers lift first; the server may take its time to stop.
    // A server that could not start keeps saying why.
    letGoRemoteFingers();
    const RemoteState next =
        status.state == RemoteState::Failed ? RemoteState::Failed : RemoteState::Off;
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        if (shared.holder != 0) {
            phoneGoes(platform.preciseTimeUs());
        }
        shared.holder = 0;
        shared.state = next;
        shared.roundTripMs = -1;
        shared.schedule = TouchSchedule{};
    }
    if (session.running) {
        network.stopServer();
        session.running = false;
    }
    std::lock_guard<std::mutex> hold(shared.lock);
    shared.rates.clear();
    // Whatever a handler queued as the server stopped.
    shared.schedule = TouchSchedule{};
    shared.armedUs = 0;
    shared.wakePosted = false;
    takeStatus();
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
    const bool fingersHeld = remoteFingersDown() > 0;
    const uint64_t now = platform.preciseTimeUs();
    ScheduledTouch entry = {};
    bool taken = false;
    uint64_t nextDueUs = 0;
    uint32_t silentUntilMs = 0;
    bool silent = false;
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        // A page that falls silent lets go; what waited of it is dropped.
        if (shared.holder != 0 && !shared.silenceLetGo &&
            (fingersHeld || !shared.schedule.waiting.empty())) {
            silentUntilMs = shared.lastHeardMs + RemoteSilenceMs;
            silent = platform.timeMs() - shared.lastHeardMs >= RemoteSilenceMs;
            if (silent) {
                dropWaitingTouches(shared.schedule, now);
                shared.silenceLetGo = true;
            }
        }
        taken = takeDueTouch(shared.schedule, now, entry);
        nextDueUs = shared.schedule.waiting.empty() ? 0 : shared.schedule.waiting.front().dueUs;
        shared.armedUs = nextDueUs;
        shared.wakePosted = false;
        takeStatus();
    }
    if (taken && entry.letGo) {
        letGoRemoteFingers();
    } else if (taken) {
        fileRemoteRecords(entry.records, entry.count);
        if (entry.held) {
            noteWakeError(static_cast<int64_t>(now - entry.dueUs));
        }
    }
    if (nextDueUs != 0) {
        requestPassAtUs(nextDueUs);
    }
    if (silentUntilMs != 0 && !silent) {
        requestPassBy(silentUntilMs);
    }
}

bool remoteInputDue() {
    std::lock_guard<std::mutex> hold(shared.lock);
    return !shared.schedule.waiting.empty() &&
           shared.schedule.waiting.front().dueUs <= platform.preciseTimeUs();
}

RoundTripFigures remoteRoundTrips() {
    const uint32_t now = platform.timeMs();
    std::lock_guard<std::mutex> hold(shared.lock);
    if (shared.figuresDue || now - session.figuresAtMs >= 1000) {
        session.figures = roundTripFigures(shared.roundTrips, now);
        session.figuresAtMs = now;
        shared.figuresDue = false;
    }
    return session.figures;
}

bool remoteInputWaiting() {
    std::lock_guard<std::mutex> hold(shared.lock);
    return !shared.schedule.waiting.empty();
}

const RemoteStatus& remoteStatus() {
    return status;
}

void describeRemoteTiming(const RemoteTiming& timing, char* out, size_t size) {
    const double share =
        timing.touches > 0 ? 100.0 * timing.late / static_cast<double>(timing.touches) : 0.0;
    switch (timing.state) {
    case TimingState::None:
        formatTextN(out, size, "%s", "");
        break;
    case TimingState::Untimed:
        formatTextN(out, size, "%s", "at once: this page sends no times (open the address again)");
        break;
    case TimingState::AtOnce:
        formatTextN(out, size, "%s", "at once: keys as their messages come");
        break;
    case TimingState::Settling:
        formatTextN(out, size, "%s", "steady: setting the clocks, keys at once meanwhile");
        break;
    case TimingState::Steady:
        formatTextN(
            out, size,
            "steady%s: keys %d ms after your finger, %.1f%% late, clocks matched to %.1f ms",
            timing.fixed ? " (fixed)" : "", static_cast<int>((timing.delayUs + 500) / 1000), share,
            timing.clockErrorUs / 1000.0);
        break;
    }
}

RemoteTiming remoteTimingsSoFar() {
    std::lock_guard<std::mutex> hold(shared.lock);
    RemoteTiming timing = timingNow();
    timing.touches += shared.timingsSoFar.touches;
    timing.late += shared.timingsSoFar.late;
    return timing;
}

WakeFigures remoteWakeFigures() {
    if (wakeErrors.count == 0) {
        return WakeFigures{};
    }
    int32_t sorted[std::size(wakeErrors.us)];
    std::copy(wakeErrors.us, wakeErrors.us + wakeErrors.count, sorted);
    std::sort(sorted, sorted + wakeErrors.count);
    const auto at = [&](size_t percent) {
        return sorted[std::max<size_t>(1, (percent * wakeErrors.count + 99) / 100) - 1];
    };
    return WakeFigures{static_cast<int32_t>(wakeErrors.count), at(50), at(99)};
}

void resetRemote() {
    stopRemote();
    status = RemoteStatus{};
    session = Session{};
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.gate = RemoteGate{};
        shared.setting = DelaySetting{};
        shared.timing = PageTiming{};
        shared.timingsSoFar = RemoteTiming{};
        shared.roundTrips = RoundTrips{};
        shared.takenOver = 0;
        shared.figuresDue = false;
        shared.state = RemoteState::Off;
        shared.layoutText.clear();
    }
    wakeErrors = WakeErrors{};
    resetRemoteFingers();
}
