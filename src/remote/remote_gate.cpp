#include "remote/remote_gate.h"

#include "base/format_text.h"

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

bool hostIs(const char* host, const char* name, uint16_t port) {
    char served[64];
    formatText(served, "%s:%u", name, static_cast<unsigned>(port));
    return name[0] != '\0' && std::strcmp(host, served) == 0;
}

bool hostServed(const RemoteGate& gate, const char* host) {
    for (const char* name : {"localhost", "127.0.0.1"}) {
        if (hostIs(host, name, gate.port)) {
            return true;
        }
    }
    for (const auto& address : gate.addresses) {
        if (hostIs(host, address, gate.port)) {
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

bool shutOut(const GateFailures& entry, uint32_t nowMs) {
    return entry.count > 0 && nowMs - entry.lastMs < entry.waitMs;
}

// A free entry for the address, else one no longer shut out (the one longest
// without a wrong try), else the one whose wait ends first: an address shut
// out is given up only when every entry is. The budget of all addresses
// bounds the guesses either way.
GateFailures& newFailures(RemoteGate& gate, const char* peer, uint32_t nowMs) {
    GateFailures* chosen = nullptr;
    for (GateFailures& entry : gate.failures) {
        if (entry.count == 0) {
            chosen = &entry;
            break;
        }
        const bool free = !shutOut(entry, nowMs);
        if (chosen == nullptr) {
            chosen = &entry;
            continue;
        }
        const bool chosenFree = !shutOut(*chosen, nowMs);
        if (free != chosenFree) {
            chosen = free ? &entry : chosen;
        } else if (free ? static_cast<int32_t>(entry.lastMs - chosen->lastMs) < 0
                        : entry.lastMs + entry.waitMs - nowMs <
                              chosen->lastMs + chosen->waitMs - nowMs) {
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

void openGate(RemoteGate& gate, const char* code, const char* const* addresses, int32_t count,
              uint16_t port, uint32_t nowMs) {
    gate = RemoteGate{};
    formatText(gate.code, "%s", code);
    for (int32_t i = 0; i < count && i < GateServedAddresses; ++i) {
        formatText(gate.addresses[i], "%s", addresses[i]);
    }
    gate.port = port;
    gate.budget = GateBudget;
    gate.budgetCheckedMs = nowMs;
}

namespace {

void refillBudget(RemoteGate& gate, uint32_t nowMs) {
    const uint32_t earned = (nowMs - gate.budgetCheckedMs) / GateBudgetRefillMs;
    if (earned > 0) {
        gate.budget = std::min(GateBudget, gate.budget + earned);
        gate.budgetCheckedMs += earned * GateBudgetRefillMs;
    }
    if (gate.budget == GateBudget) {
        gate.budgetCheckedMs = nowMs;
    }
}

} // namespace

uint32_t gateWaitOf(RemoteGate& gate, const char* peer, uint32_t nowMs) {
    const GateFailures* failures = failuresOf(gate, peer);
    uint32_t wait = failures != nullptr && shutOut(*failures, nowMs)
                        ? failures->lastMs + failures->waitMs - nowMs
                        : 0;
    refillBudget(gate, nowMs);
    if (gate.budget == 0) {
        wait = std::max(wait, gate.budgetCheckedMs + GateBudgetRefillMs - nowMs);
    }
    return wait;
}

Admission admitToGate(RemoteGate& gate, const SocketRequest& request, uint32_t nowMs,
                      uint32_t* retryAfterMs) {
    if (retryAfterMs != nullptr) {
        *retryAfterMs = 0;
    }
    // Another site's page, or a name of this PC's that it does not serve:
    // refused, and no guess at the code.
    const bool originFits = originOfHost(request.origin, request.host) ||
                            (request.originOptional && request.origin[0] == '\0');
    if (!hostServed(gate, request.host) || !originFits) {
        return Admission::Foreign;
    }
    GateFailures* failures = failuresOf(gate, request.peer);
    const std::string code = codeOf(request.query);
    if (sameCode(code.data(), code.size(), gate.code)) {
        if (failures != nullptr) {
            *failures = GateFailures{};
        }
        return Admission::Admit;
    }
    const uint32_t wait = gateWaitOf(gate, request.peer, nowMs);
    if (wait > 0) {
        if (retryAfterMs != nullptr) {
            *retryAfterMs = wait;
        }
        return Admission::Throttled;
    }
    --gate.budget;
    failures = failures != nullptr ? failures : &newFailures(gate, request.peer, nowMs);
    failures->count += 1;
    failures->lastMs = nowMs;
    // 1 s after the first wrong try, twice as long after each further one.
    const uint32_t shift = std::min<uint32_t>(failures->count - 1, 6);
    failures->waitMs = std::min(GateFirstWaitMs << shift, GateLongestWaitMs);
    return Admission::Refuse;
}
