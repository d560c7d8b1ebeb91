#include "remote/remote_gate.h"

#include "engine/format_text.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Compares every character whatever the first difference: the time taken
// says nothing about how much of a guess was right.
bool sameCode(const char* given, size_t givenLength, const char* code) {
    unsigned difference = givenLength == PairingCodeLength ? 0u : 1u;
    for (size_t i = 0; i < PairingCodeLength; ++i) {
        const char g = i < givenLength ? given[i] : '\0';
        difference |= static_cast<unsigned>(static_cast<unsigned char>(g) ^
                                            static_cast<unsigned char>(code[i]));
    }
    return difference == 0;
}

bool hostServed(const RemoteGate& gate, const char* host) {
    for (const char* name : {static_cast<const char*>(gate.address), "localhost", "127.0.0.1"}) {
        char served[64];
        formatText(served, "%s:%u", name, static_cast<unsigned>(gate.port));
        if (name[0] != '\0' && std::strcmp(host, served) == 0) {
            return true;
        }
    }
    return false;
}

// The page's origin is the host it came from: http://HOST.
bool originOfHost(const char* origin, const char* host) {
    return std::strncmp(origin, "http://", 7) == 0 && std::strcmp(origin + 7, host) == 0;
}

// The code given in the query: "code=..." alone or among other parameters.
std::string codeOf(const char* query) {
    const std::string text = query;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('&', start), text.size());
        if (text.compare(start, 5, "code=") == 0) {
            return text.substr(start + 5, end - start - 5);
        }
        start = end + 1;
    }
    return "";
}

GateFailures* failuresOf(RemoteGate& gate, const char* peer) {
    for (GateFailures& entry : gate.failures) {
        if (entry.count > 0 && std::strcmp(entry.peer, peer) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

// A free entry for the address, else the one longest without a wrong try.
GateFailures& newFailures(RemoteGate& gate, const char* peer, uint32_t nowMs) {
    GateFailures* chosen = &gate.failures[0];
    for (GateFailures& entry : gate.failures) {
        if (entry.count == 0) {
            chosen = &entry;
            break;
        }
        if (static_cast<int32_t>(entry.lastMs - chosen->lastMs) < 0) {
            chosen = &entry;
        }
    }
    *chosen = GateFailures{};
    formatText(chosen->peer, "%s", peer);
    chosen->lastMs = nowMs;
    return *chosen;
}

} // namespace

bool isPairingCode(const char* text) {
    if (text == nullptr || std::strlen(text) != PairingCodeLength) {
        return false;
    }
    for (size_t i = 0; i < PairingCodeLength; ++i) {
        if (text[i] == '\0' || std::strchr(PairingCodeAlphabet, text[i]) == nullptr) {
            return false;
        }
    }
    return true;
}

void makePairingCode(const uint8_t random[8], char out[PairingCodeLength + 1]) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits = (bits << 8) | random[i];
    }
    for (size_t i = 0; i < PairingCodeLength; ++i) {
        out[i] = PairingCodeAlphabet[(bits >> (59 - 5 * i)) & 31];
    }
    out[PairingCodeLength] = '\0';
}

void openGate(RemoteGate& gate, const char* code, const char* address, uint16_t port) {
    gate = RemoteGate{};
    formatText(gate.code, "%s", code);
    formatText(gate.address, "%s", address);
    gate.port = port;
}

Admission admitToGate(RemoteGate& gate, const SocketRequest& request, uint32_t nowMs) {
    GateFailures* failures = failuresOf(gate, request.peer);
    if (failures != nullptr && nowMs - failures->lastMs < failures->waitMs) {
        return Admission::Throttled;
    }
    const bool placeRight =
        hostServed(gate, request.host) && originOfHost(request.origin, request.host);
    const std::string code = codeOf(request.query);
    if (sameCode(code.data(), code.size(), gate.code) && placeRight) {
        if (failures != nullptr) {
            *failures = GateFailures{};
        }
        return Admission::Admit;
    }
    failures = failures != nullptr ? failures : &newFailures(gate, request.peer, nowMs);
    failures->count += 1;
    failures->lastMs = nowMs;
    // 1 s after the first wrong try, twice as long after each further one.
    const uint32_t shift = std::min<uint32_t>(failures->count - 1, 6);
    failures->waitMs = std::min(GateFirstWaitMs << shift, GateLongestWaitMs);
    return Admission::Refuse;
}
