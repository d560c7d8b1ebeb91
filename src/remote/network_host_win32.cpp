#include "remote/network_host.h"

// Winsock before windows.h, bcrypt after it.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <bcrypt.h>

namespace {

// The server's start has made Winsock ready; this may come before it.
bool socketsReady() {
    static const bool ready = [] {
        WSADATA data = {};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

} // namespace

bool hostLocalAddress(char* out, size_t size) {
    if (!socketsReady()) {
        return false;
    }
    // The address of the route out, as the system chooses it for a packet to
    // a documentation address; nothing is sent.
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (probe == INVALID_SOCKET) {
        return false;
    }
    sockaddr_in outside = {};
    outside.sin_family = AF_INET;
    outside.sin_port = htons(9);
    outside.sin_addr.s_addr = htonl(0xC0000201); // 192.0.2.1
    sockaddr_in local = {};
    int length = sizeof local;
    const bool found =
        connect(probe, reinterpret_cast<const sockaddr*>(&outside), sizeof outside) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
        local.sin_addr.s_addr != htonl(INADDR_ANY);
    closesocket(probe);
    return found && inet_ntop(AF_INET, &local.sin_addr, out, size) != nullptr;
}

bool hostRandomBytes(uint8_t* out, size_t size) {
    return BCryptGenRandom(nullptr, out, static_cast<ULONG>(size),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}
