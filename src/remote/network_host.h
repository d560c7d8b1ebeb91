// What the network seam asks of the system itself: one file for Windows,
// one for the systems the tests run on.
#pragma once

#include <cstddef>
#include <cstdint>

// The IPv4 address this computer reaches its local network by: the one its
// route out uses (no packet is sent to find it), else any that is not the
// loopback.
bool hostLocalAddress(char* out, size_t size);
bool hostRandomBytes(uint8_t* out, size_t size);
