// Who may open the controller's socket: the page this program served, on an
// address it serves, with the pairing code. Wrong codes from one address
// shut that address out for a while, longer with each one.
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

struct GateFailures {
    char peer[48];
    uint32_t count;
    uint32_t lastMs;
    uint32_t waitMs; // no try from the address until lastMs + waitMs
};

struct RemoteGate {
    char code[PairingCodeLength + 1];
    char address[48]; // the local address served
    uint16_t port;
    GateFailures failures[GateAddressesKept];
};

bool isPairingCode(const char* text);
// A fresh code from 8 random bytes (only the first 60 bits are used).
void makePairingCode(const uint8_t random[8], char out[PairingCodeLength + 1]);

void openGate(RemoteGate& gate, const char* code, const char* address, uint16_t port);
// The request's host must be the address served or this computer by its
// loopback name, at the port; its origin that host's page; its query
// "code=" and the code. Every try of an address shut out is refused
// without a look at its code.
Admission admitToGate(RemoteGate& gate, const SocketRequest& request, uint32_t nowMs);
