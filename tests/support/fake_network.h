// A network that records what the remote link does and lets a test play
// the server's threads: nothing listens, nothing is sent.
#pragma once

#include "remote/network.h"

#include <atomic>
#include <string>
#include <utility>
#include <vector>

struct FakeNetwork {
    ServerSettings settings = {};
    bool started = false;
    // What was sent, by connection: text as it is, binary after "binary:".
    std::vector<std::pair<ConnectionId, std::string>> sent;
    std::vector<ConnectionId> closedByUs;
    // The PC's addresses, as the system lists them.
    std::vector<HostAddress> addresses = {{"192.168.1.20", true, true, true}};
    // What Windows would say keeps the phone out, and how often it was asked.
    uint32_t reach = 0;
    std::string reachAskedFor; // "ADDRESS:PORT", as last asked
};

// How often what keeps a phone out was asked (from the check's own thread).
extern std::atomic<int32_t> fakeReachAsked;

extern FakeNetwork fakeNetwork;
// Local address 192.168.1.20 unless a test gives others; random bytes all 0x42.
extern const Network RecordingNetwork;
