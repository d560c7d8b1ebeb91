#include "remote/network_host.h"

// Winsock before windows.h, bcrypt after it.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <bcrypt.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <vector>

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

namespace {

// The address of the route out, as the system chooses it for a packet to a
// documentation address; nothing is sent.
bool routeAddress(in_addr* address) {
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
    *address = local.sin_addr;
    return found;
}

// Whether the interface is a network card: MIB_IF_ROW2's HardwareInterface
// flag (Windows Vista on); a VPN, a virtual switch or a tunnel is not.
bool hardwareInterface(const NET_LUID& luid) {
    MIB_IF_ROW2 row = {};
    row.InterfaceLuid = luid;
    return GetIfEntry2(&row) == NO_ERROR && row.InterfaceAndOperStatusFlags.HardwareInterface;
}

} // namespace

int32_t hostLocalAddresses(HostAddress* out, int32_t max) {
    if (!socketsReady() || max <= 0) {
        return 0;
    }
    in_addr route = {};
    const bool routed = routeAddress(&route);
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int tries = 0; tries < 3 && result == ERROR_BUFFER_OVERFLOW; ++tries) {
        buffer.resize(size);
        result = GetAdaptersAddresses(
            AF_INET,
            GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                GAA_FLAG_SKIP_DNS_SERVER,
            nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) {
        return 0;
    }
    int32_t count = 0;
    for (const auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
         adapter != nullptr && count < max; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) {
            continue;
        }
        const bool hardware = hardwareInterface(adapter->Luid);
        const bool gateway = adapter->FirstGatewayAddress != nullptr;
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress;
             unicast != nullptr && count < max; unicast = unicast->Next) {
            const sockaddr* raw = unicast->Address.lpSockaddr;
            if (raw == nullptr || raw->sa_family != AF_INET) {
                continue;
            }
            const in_addr address = reinterpret_cast<const sockaddr_in*>(raw)->sin_addr;
            HostAddress& host = out[count];
            host = HostAddress{};
            if (inet_ntop(AF_INET, &address, host.text, sizeof host.text) == nullptr) {
                continue;
            }
            host.hardware = hardware;
            host.gateway = gateway;
            host.routeOut = routed && address.s_addr == route.s_addr;
            ++count;
        }
    }
    return count;
}

void hostAddressText(const sockaddr* address, char* out, size_t size) {
    if (size == 0) {
        return;
    }
    out[0] = '\0';
    if (address != nullptr && address->sa_family == AF_INET) {
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
        if (inet_ntop(AF_INET, &ipv4->sin_addr, out, size) == nullptr) {
            out[0] = '\0';
        }
    }
}

bool hostRandomBytes(uint8_t* out, size_t size) {
    return BCryptGenRandom(nullptr, out, static_cast<ULONG>(size),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}
