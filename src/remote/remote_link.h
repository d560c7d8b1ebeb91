// The remote controller: a page on a phone whose fingers are fingers on the
// controller. The server's threads take what comes (the page's clock and its
// touches' times among it) and schedule the touches; the main loop files each
// when it is due, and wakes for it at its time.
//
// One page holds the controller at a time: a page that opens the socket with
// the right code takes it over from the one before, which is told and whose
// fingers are let go. The page's fingers are let go too when its connection
// ends or errs, when it says it is hidden, and when nothing has come from it
// for RemoteSilenceMs: it sends a ping every RemoteHeartbeatMs, so four in a
// row must be lost first, which a Wi-Fi network that is working does not do
// even with a phone's power saving, while a key held by a lost phone is up
// within a second. What waited of its touches is dropped then, but for taps
// whose down and up both came (touch_schedule.h).
//
// A page that stamps its touches with their times (a timed touch) has them
// go out at a steady delay after them (steady_delay.h), unless the player
// chose every stroke at once; a page without times has them go at once.
#pragma once

#include "remote/round_trips.h"
#include "remote/steady_delay.h"

#include <cstddef>
#include <cstdint>

constexpr uint16_t RemotePort = 8750;
constexpr uint32_t RemoteHeartbeatMs = 250;
constexpr uint32_t RemoteSilenceMs = 1000;
// Far more than a page sends: ten fingers moving at 240 reports a second,
// with its pings, are under 2500. Counted as the messages come off the
// network, whenever the main loop files them.
constexpr uint32_t RemoteMessagesPerSecond = 4000;
// Touch messages waiting to be filed: two seconds of the most a page may send.
constexpr size_t RemoteQueueMax = 8192;

enum class RemoteState : int32_t { Off, Failed, Waiting, Connected };

// How the touches of the phone that holds the controller go out.
enum class TimingState : int32_t {
    None,     // no phone holds the controller
    Untimed,  // a page that stamps no times on its touches: at once
    Settling, // the clocks are being compared: at once meanwhile
    Steady,   // at the touch's time plus the delay
    AtOnce,   // every stroke as its message comes, as the player chose
};

struct RemoteTiming {
    TimingState state = TimingState::None;
    bool fixed = false;        // steady at a delay the player fixed
    int32_t delayUs = 0;       // after the touch, while steady
    int32_t clockErrorUs = -1; // how far the clocks' offset may be off; -1 unknown
    uint32_t touches = 0;      // touch messages timed since the page came
    uint32_t late = 0;         // of them, came after their time (went at once)
};

struct RemoteStatus {
    RemoteState state = RemoteState::Off;
    char address[96] = {}; // http://ADDRESS:PORT/#CODE, at the likeliest address
    // The PC's other addresses a phone may reach it by, likeliest first
    // ("10.8.0.2 192.168.56.1"); empty when there is one.
    char otherAddresses[160] = {};
    char problem[160] = {};
    int32_t roundTripMs = -1;  // as the page last measured it; -1 unknown
    uint32_t takenOver = 0;    // pages that gave the controller to a later one
    uint32_t refusedCount = 0; // connections and messages refused
    // What Windows knows that keeps a phone out (network_reach.h), asked at
    // the start and every ReachCheckMs while no phone is connected.
    uint32_t reachProblems = 0;
    uint32_t reachCheckedMs = 0;
    RemoteTiming timing;
};

// How late strokes that waited for their time went out, after it (the
// main loop's wake): the median and the 99th percentile of the last ones.
struct WakeFigures {
    int32_t count;
    int32_t medianUs;
    int32_t percentile99Us;
};

// Starts the server with the code and the page's layout (a layout file's
// text); false, with the problem in the status, when it cannot listen.
bool startRemote(const char* code, const char* layoutText, uint16_t port = RemotePort);
// Another layout plays (a game's, or one just saved): the page that holds the
// controller gets it at once, a page that comes later too.
void changeRemoteLayout(const char* layoutText);
// How the phone's touches go out from now on (the page that holds the
// controller too). Follow until set.
void setRemoteDelay(const DelaySetting& setting);
DelaySetting remoteDelay();
// The server stopped, every finger of the page let go.
void stopRemote();
// Main thread: files what came from the page and is due, one message's
// touches (or one let-go) a call.
void pollRemote();
// Whether anything from the page waits to be filed, now or later.
bool remoteInputWaiting();
// Whether more is due now than the last pollRemote filed.
bool remoteInputDue();
const RemoteStatus& remoteStatus();
// The page's round trips over the last minute, of every page that held the
// controller in it.
RoundTripFigures remoteRoundTrips();
// "steady: keys 14 ms after your finger, 0.3% late, clock ±1 ms"; "" with
// no phone.
void describeRemoteTiming(const RemoteTiming& timing, char* out, size_t size);
// The timings of every page that held the controller since the start.
RemoteTiming remoteTimingsSoFar();
WakeFigures remoteWakeFigures();
void resetRemote();
