#include "remote/host_addresses.h"

#include <algorithm>
#include <cstring>

namespace {

int32_t likelihood(const HostAddress& address) {
    if (std::strncmp(address.text, "169.254.", 8) == 0) {
        return 0;
    }
    if (address.hardware && address.gateway) {
        return 4;
    }
    if (address.routeOut) {
        return 3;
    }
    return address.hardware ? 2 : 1;
}

} // namespace

int32_t rankHostAddresses(HostAddress* addresses, int32_t count) {
    if (addresses == nullptr || count <= 0) {
        return 0;
    }
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        bool seen = addresses[i].text[0] == '\0';
        for (int32_t j = 0; j < kept && !seen; ++j) {
            seen = std::strcmp(addresses[j].text, addresses[i].text) == 0;
        }
        if (!seen) {
            addresses[kept++] = addresses[i];
        }
    }
    std::stable_sort(addresses, addresses + kept, [](const HostAddress& a, const HostAddress& b) {
        return likelihood(a) > likelihood(b);
    });
    return kept;
}
