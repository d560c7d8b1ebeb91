#include "remote/network_host.h"

// Winsock before windows.h, bcrypt after it.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <bcrypt.h>
#include <iphlpapi.h>
#include <netfw.h>
#include <netioapi.h>
#include <netlistmgr.h>
#include <oleauto.h>

#include "engine/wide_text.h"
#include "remote/network_reach.h"

#include <string>
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

namespace {

// Windows Firewall's class and interfaces (netfw.h), which the import
// libraries here do not define.
constexpr GUID FirewallPolicyClass = {
    0xe2b3c97f, 0x6ae1, 0x41ac, {0x81, 0x7a, 0xf6, 0xf9, 0x21, 0x66, 0xd7, 0xdd}};
constexpr GUID FirewallPolicyInterface = {
    0x98325047, 0xc671, 0x4174, {0x8d, 0x81, 0xde, 0xfc, 0xd3, 0xf0, 0x31, 0x86}};
constexpr GUID FirewallRuleInterface = {
    0xaf230d27, 0xbaba, 0x4e42, {0xac, 0xed, 0xf5, 0x24, 0xf2, 0x2c, 0xfc, 0xe2}};

// Whether a connected network is Public (INetworkListManager, Vista on).
bool onPublicNetwork() {
    INetworkListManager* manager = nullptr;
    if (FAILED(CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL,
                                IID_INetworkListManager, reinterpret_cast<void**>(&manager)))) {
        return false;
    }
    bool isPublic = false;
    IEnumNetworks* networks = nullptr;
    if (SUCCEEDED(manager->GetNetworks(NLM_ENUM_NETWORK_CONNECTED, &networks))) {
        INetwork* network = nullptr;
        ULONG got = 0;
        while (networks->Next(1, &network, &got) == S_OK && got == 1) {
            NLM_NETWORK_CATEGORY category = NLM_NETWORK_CATEGORY_PRIVATE;
            isPublic = isPublic || (SUCCEEDED(network->GetCategory(&category)) &&
                                    category == NLM_NETWORK_CATEGORY_PUBLIC);
            network->Release();
        }
        networks->Release();
    }
    manager->Release();
    return isPublic;
}

struct RuleFindings {
    bool named = false;   // a rule names this program
    bool allowed = false; // an enabled inbound rule allows it on a profile in use
    bool blocked = false; // an enabled inbound rule blocks it on a profile in use
};

void readRule(INetFwRule* rule, const wchar_t* program, long profiles, RuleFindings& found) {
    BSTR application = nullptr;
    if (FAILED(rule->get_ApplicationName(&application)) || application == nullptr) {
        return;
    }
    wchar_t expanded[MAX_PATH * 4];
    const DWORD length = ExpandEnvironmentStringsW(application, expanded, MAX_PATH * 4);
    const bool ours = length > 0 && length <= MAX_PATH * 4 && _wcsicmp(expanded, program) == 0;
    SysFreeString(application);
    if (!ours) {
        return;
    }
    found.named = true;
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_OUT;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    NET_FW_ACTION action = NET_FW_ACTION_BLOCK;
    long ruleProfiles = 0;
    if (SUCCEEDED(rule->get_Direction(&direction)) && direction == NET_FW_RULE_DIR_IN &&
        SUCCEEDED(rule->get_Enabled(&enabled)) && enabled == VARIANT_TRUE &&
        SUCCEEDED(rule->get_Profiles(&ruleProfiles)) && (ruleProfiles & profiles) != 0 &&
        SUCCEEDED(rule->get_Action(&action))) {
        (action == NET_FW_ACTION_ALLOW ? found.allowed : found.blocked) = true;
    }
}

// What Windows Firewall does with padrelle.exe on the networks in use.
uint32_t firewallProblems() {
    INetFwPolicy2* policy = nullptr;
    if (FAILED(CoCreateInstance(FirewallPolicyClass, nullptr, CLSCTX_INPROC_SERVER,
                                FirewallPolicyInterface, reinterpret_cast<void**>(&policy)))) {
        return 0;
    }
    long profiles = 0;
    bool on = false;
    if (SUCCEEDED(policy->get_CurrentProfileTypes(&profiles))) {
        for (const long profile : {long{NET_FW_PROFILE2_DOMAIN}, long{NET_FW_PROFILE2_PRIVATE},
                                   long{NET_FW_PROFILE2_PUBLIC}}) {
            VARIANT_BOOL enabled = VARIANT_FALSE;
            on = on || ((profiles & profile) != 0 &&
                        SUCCEEDED(policy->get_FirewallEnabled(
                            static_cast<NET_FW_PROFILE_TYPE2>(profile), &enabled)) &&
                        enabled == VARIANT_TRUE);
        }
    }
    RuleFindings found;
    INetFwRules* rules = nullptr;
    IUnknown* listing = nullptr;
    IEnumVARIANT* each = nullptr;
    const std::wstring program = programPath();
    bool read = false;
    if (on && !program.empty() && SUCCEEDED(policy->get_Rules(&rules)) &&
        SUCCEEDED(rules->get__NewEnum(&listing)) &&
        SUCCEEDED(listing->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&each)))) {
        read = true;
        VARIANT item;
        VariantInit(&item);
        while (each->Next(1, &item, nullptr) == S_OK) {
            INetFwRule* rule = nullptr;
            if (item.vt == VT_DISPATCH && item.pdispVal != nullptr &&
                SUCCEEDED(item.pdispVal->QueryInterface(FirewallRuleInterface,
                                                        reinterpret_cast<void**>(&rule)))) {
                readRule(rule, program.c_str(), profiles, found);
                rule->Release();
            }
            VariantClear(&item);
        }
    }
    if (each != nullptr) {
        each->Release();
    }
    if (listing != nullptr) {
        listing->Release();
    }
    if (rules != nullptr) {
        rules->Release();
    }
    policy->Release();
    if (!read) {
        return 0;
    }
    if (!found.named) {
        return ReachFirewallWillAsk;
    }
    return found.blocked || !found.allowed ? ReachFirewallBlocks : 0;
}

} // namespace

uint32_t hostReachProblems() {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const uint32_t problems = (onPublicNetwork() ? ReachPublicNetwork : 0) | firewallProblems();
    if (SUCCEEDED(started)) {
        CoUninitialize();
    }
    return problems;
}

bool hostRandomBytes(uint8_t* out, size_t size) {
    return BCryptGenRandom(nullptr, out, static_cast<ULONG>(size),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}
