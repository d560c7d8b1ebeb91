// The port a test process serves on over loopback: one of its own, as test
// processes run side by side, and below the ephemeral ports (32768 and up)
// that the tests' own client sockets take and leave in TIME_WAIT.
#pragma once

#include <unistd.h>

#include <cstdint>

inline uint16_t loopbackTestPort() {
    return static_cast<uint16_t>(20000 + getpid() % 12000);
}
