// The remote controller: a page on a phone whose fingers are fingers on the
// controller. The server's threads only queue what comes and wake the main
// loop; the main loop files it in the pass that takes it.
//
// One page holds the controller at a time: a page that opens the socket with
// the right code takes it over from the one before, which is told and whose
// fingers are let go. The page's fingers are let go too when its connection
// ends or errs, when it says it is hidden, and when nothing has come from it
// for RemoteSilenceMs: it sends a ping every RemoteHeartbeatMs, so four in a
// row must be lost first, which a Wi-Fi network that is working does not do
// even with a phone's power saving, while a key held by a lost phone is up
// within a second.
#pragma once

#include "remote/round_trips.h"

#include <cstddef>
#include <cstdint>

constexpr uint16_t RemotePort = 8750;
constexpr uint32_t RemoteHeartbeatMs = 250;
constexpr uint32_t RemoteSilenceMs = 1000;
// Far more than a page sends: ten fingers moving at 240 reports a second,
// with its pings, are under 2500.
constexpr uint32_t RemoteMessagesPerSecond = 4000;
constexpr size_t RemoteQueueMax = 4096;

enum class RemoteState : int32_t { Off, Failed, Waiting, Connected };

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
};

// Starts the server with the code and the page's layout (a layout file's
// text); false, with the problem in the status, when it cannot listen.
bool startRemote(const char* code, const char* layoutText, uint16_t port = RemotePort);
// Another layout plays (a game's, or one just saved): the page that holds the
// controller gets it at once, a page that comes later too.
void changeRemoteLayout(const char* layoutText);
// The server stopped, every finger of the page let go.
void stopRemote();
// Main thread, every pass: what came from the page, in order.
void pollRemote();
// Whether anything from the page waits to be filed.
bool remoteInputWaiting();
const RemoteStatus& remoteStatus();
// The page's round trips over the last minute, of every page that held the
// controller in it.
RoundTripFigures remoteRoundTrips();
void resetRemote();
