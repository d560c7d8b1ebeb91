// Who may open the controller's socket: the page this program served, on an
// address it serves, with the pairing code. The right code is let in at
// once, whatever any address did before: nobody on the network can keep the
// player's phone out. Wrong codes are slowed: one address is shut out for a
// while after each, longer with each one, and all addresses together get a
// budget of them; a wrong code that comes while its address is shut out, or
// while the budget is spent, is told to wait. What keeps a guesser out is the
// code's 60 bits, not the slowing (README: what the pairing code protects).
#pragma once

#include "remote/network.h"

#include <cstddef>
#include <cstdint>

// 12 characters of 5 bits: 60 bits.
constexpr size_t PairingCodeLength = 12;
constexpr const char* PairingCodeAlphabet = "0123456789abcdefghjkmnpqrstvwxyz";
constexpr int32_t GateAddressesKept = 32;
constexpr uint32_t GateFirstWaitMs = 1000;
constexpr uint32_t GateLongestWaitMs = 60000;
// The budget of all addresses: GateBudget wrong codes, one more back every
// GateBudgetRefillMs (30 a minute at most, however many addresses guess).
constexpr uint32_t GateBudget = 30;
constexpr uint32_t GateBudgetRefillMs = 2000;
// The PC's own addresses that the page may be served on.
constexpr int32_t GateServedAddresses = 8;

struct GateFailures {
    char peer[48];
    uint32_t count;
    uint32_t lastMs;
    uint32_t waitMs; // no try from the address until lastMs + waitMs
};

struct RemoteGate {
    char code[PairingCodeLength + 1];
    char addresses[GateServedAddresses][48]; // the PC's own, "" after the last
    uint16_t port;
    GateFailures failures[GateAddressesKept];
    uint32_t budget;          // wrong codes left to all addresses
    uint32_t budgetCheckedMs; // when the budget last grew
};

bool isPairingCode(const char* text);
// A fresh code from 8 random bytes (only the first 60 bits are used).
void makePairingCode(const uint8_t random[8], char out[PairingCodeLength + 1]);

// The gate of a code, for the PC's own addresses (count of them, at most
// GateServedAddresses are kept) at the port.
void openGate(RemoteGate& gate, const char* code, const char* const* addresses, int32_t count,
              uint16_t port, uint32_t nowMs = 0);
// The request's host must be one of the PC's addresses or its loopback
// name, at the port, and its origin that host's page (a request that may
// come without one, the page's own check, may leave it out): otherwise it is
// Foreign (another site's page), and counts as no wrong code. Its query must
// give "code=" and the code, which is compared on every try, in the same
// time whatever it holds: the right one is let in even while its address is
// shut out or the budget is spent. A wrong one is Refused and counted, or,
// while its address is shut out or the budget is spent, Throttled without
// being counted; retryAfterMs then says how long the wait is.
Admission admitToGate(RemoteGate& gate, const SocketRequest& request, uint32_t nowMs,
                      uint32_t* retryAfterMs = nullptr);
// How long the address is shut out for from now; 0 when it is not.
uint32_t gateWaitOf(RemoteGate& gate, const char* peer, uint32_t nowMs);
