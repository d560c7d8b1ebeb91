// Which of the PC's addresses a phone can likely reach it by.
#pragma once

#include <cstdint>

constexpr int32_t MaxHostAddresses = 8;

// One IPv4 address of this computer and what its adapter is.
struct HostAddress {
    char text[48];
    bool hardware; // the adapter is a network card (Ethernet, Wi-Fi): no VPN,
                   // no virtual switch, no tunnel
    bool gateway;  // the adapter has a default gateway
    bool routeOut; // the system's route out leaves from it
};

// Orders the addresses, the likeliest first: a network card with a default
// gateway (the home network), then the address of the route out, then any
// other network card, then the rest (VPN, virtual switches, tunnels); a
// self-assigned address (169.254.x.x) after all of those. Addresses given
// twice are kept once. Gives how many are left.
int32_t rankHostAddresses(HostAddress* addresses, int32_t count);
