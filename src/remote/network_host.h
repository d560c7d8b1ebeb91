// What the network seam asks of the system itself: one file for Windows,
// one for the systems the tests run on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "remote/host_addresses.h"

// This computer's IPv4 addresses but the loopback, with what their adapters
// are, and the one its route out uses (no packet is sent to find it).
int32_t hostLocalAddresses(HostAddress* out, int32_t max);
bool hostRandomBytes(uint8_t* out, size_t size);
// The category of the network behind the address the phone is told, and
// Windows Firewall there for the server's port, as network_reach.h judges
// them; 0 where the system does not say (other systems, a firewall of
// another maker).
uint32_t hostReachProblems(const char* address, uint16_t port);
