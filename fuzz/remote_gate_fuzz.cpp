// Sequences of tries at the remote controller's gate from many addresses,
// and lists of the PC's addresses. Each try is 3 bytes: the address (one of
// 64), what it gives (the right code, a wrong one, the right code under a
// host the PC does not serve) and how long after the one before it comes
// (in 50 ms steps). What must hold after each: the right code at a served
// host is always let in, whatever came before; nothing else ever is; a
// foreign host is no wrong code; a throttled try is a wrong code told a
// wait; and all wrong codes counted, over any number of addresses, stay
// within the budget. The same bytes as a list of addresses:
// ranked, each is kept once, the likeliest first.
#include "broken.h"
#include "remote/host_addresses.h"
#include "remote/remote_gate.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* Code = "7k2m9xq4hd0c";
const char* const Served[] = {"192.168.1.20", "10.8.0.2"};

void tryTheGate(const uint8_t* data, size_t size) {
    RemoteGate gate;
    uint32_t now = 1000;
    openGate(gate, Code, Served, 2, 8750, now);
    const uint32_t start = now;
    uint32_t wrongLookedAt = 0;
    for (size_t i = 0; i + 3 <= size; i += 3) {
        char peer[32];
        std::snprintf(peer, sizeof peer, "10.0.%u.%u", data[i] >> 6, data[i] & 63u);
        const int kind = data[i + 1] % 3;
        now += static_cast<uint32_t>(data[i + 2]) * 50u;
        const bool rightHost = kind != 2;
        const std::string query = kind == 1 ? "code=000000000000" : std::string("code=") + Code;
        const SocketRequest request = {
            peer, rightHost ? "192.168.1.20:8750" : "pc.local:8750",
            rightHost ? "http://192.168.1.20:8750" : "http://pc.local:8750", query.c_str()};
        const uint32_t waitBefore = gateWaitOf(gate, peer, now);
        uint32_t retry = 0;
        const Admission said = admitToGate(gate, request, now, &retry);
        if ((said == Admission::Admit) != (kind == 0)) {
            broken("the right code at a served host refused, or something else let in");
        }
        if ((said == Admission::Foreign) != (kind == 2)) {
            broken("a foreign host taken for a code, or a served one for foreign");
        }
        if (said == Admission::Throttled && (kind != 1 || retry == 0 || waitBefore == 0)) {
            broken("throttled without a wait, or not a wrong code");
        }
        if (kind == 1 && waitBefore > 0 && said != Admission::Throttled) {
            broken("a wrong code counted while wrong codes wait");
        }
        wrongLookedAt += kind == 1 && said == Admission::Refuse ? 1 : 0;
        if (wrongLookedAt > GateBudget + (now - start) / GateBudgetRefillMs) {
            broken("more wrong codes looked at than the budget allows");
        }
    }
}

void rankAddresses(const uint8_t* data, size_t size) {
    HostAddress addresses[MaxHostAddresses] = {};
    int32_t count = 0;
    for (size_t i = 0; i + 2 <= size && count < MaxHostAddresses; i += 2) {
        HostAddress& address = addresses[count++];
        std::snprintf(address.text, sizeof address.text, "%s.%u",
                      (data[i] & 1) != 0 ? "169.254.0" : "192.168.0", data[i + 1] & 7u);
        address.hardware = (data[i] & 2) != 0;
        address.gateway = (data[i] & 4) != 0;
        address.routeOut = (data[i] & 8) != 0;
    }
    const int32_t kept = rankHostAddresses(addresses, count);
    if (kept < 0 || kept > count || (count > 0 && kept == 0)) {
        broken("addresses lost");
    }
    for (int32_t i = 0; i < kept; ++i) {
        for (int32_t j = i + 1; j < kept; ++j) {
            if (std::strcmp(addresses[i].text, addresses[j].text) == 0) {
                broken("an address kept twice");
            }
        }
        const bool selfAssigned = std::strncmp(addresses[i].text, "169.254.", 8) == 0;
        if (i > 0 && !selfAssigned && std::strncmp(addresses[i - 1].text, "169.254.", 8) == 0) {
            broken("a self-assigned address before another");
        }
        if (i > 0 && !selfAssigned && addresses[i].hardware && addresses[i].gateway &&
            !(addresses[i - 1].hardware && addresses[i - 1].gateway)) {
            broken("the home network's card after a less likely address");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tryTheGate(data, size);
    rankAddresses(data, size);
    return 0;
}
