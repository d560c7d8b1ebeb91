// What the phone's server asks of Windows itself: this computer's IPv4
// addresses and their adapters (GetAdaptersAddresses) and the one its route
// out uses (a UDP socket connected, which sends no packet), random bytes
// (BCryptGenRandom), and, to tell the player why a phone may not reach it,
// the category of the network (INetworkListManager) and Windows Firewall's
// rules for the port (INetFwPolicy2). It changes no rule and no category: a
// firewall of another maker is not read.
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

#include "base/wide_text.h"
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

// The adapters' addresses (GetAdaptersAddresses), IPv4 only.
std::vector<unsigned char> adapterList(ULONG flags) {
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int tries = 0; tries < 3 && result == ERROR_BUFFER_OVERFLOW; ++tries) {
        buffer.resize(size);
        result = GetAdaptersAddresses(
            AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) {
        buffer.clear();
    }
    return buffer;
}

} // namespace

int32_t hostLocalAddresses(HostAddress* out, int32_t max) {
    if (!socketsReady() || max <= 0) {
        return 0;
    }
    in_addr route = {};
    const bool routed = routeAddress(&route);
    const std::vector<unsigned char> buffer =
        adapterList(GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                    GAA_FLAG_SKIP_DNS_SERVER);
    if (buffer.empty()) {
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

// The name (its GUID, "{...}") of the adapter that has the address; "" when
// none has it.
std::string adapterOf(const char* address) {
    in_addr wanted = {};
    if (address == nullptr || inet_pton(AF_INET, address, &wanted) != 1) {
        return "";
    }
    const std::vector<unsigned char> buffer =
        adapterList(GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER);
    for (const auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
         !buffer.empty() && adapter != nullptr; adapter = adapter->Next) {
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress;
             unicast != nullptr; unicast = unicast->Next) {
            const sockaddr* raw = unicast->Address.lpSockaddr;
            if (raw != nullptr && raw->sa_family == AF_INET &&
                reinterpret_cast<const sockaddr_in*>(raw)->sin_addr.s_addr == wanted.s_addr) {
                return adapter->AdapterName != nullptr ? adapter->AdapterName : "";
            }
        }
    }
    return "";
}

// The firewall profile of the network behind an adapter
// (INetworkListManager's connections, Vista on); 0 when none is known.
uint32_t profileOfAdapter(const std::string& adapter) {
    INetworkListManager* manager = nullptr;
    if (adapter.empty() ||
        FAILED(CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL,
                                IID_INetworkListManager, reinterpret_cast<void**>(&manager)))) {
        return 0;
    }
    uint32_t profile = 0;
    IEnumNetworkConnections* connections = nullptr;
    if (SUCCEEDED(manager->GetNetworkConnections(&connections))) {
        INetworkConnection* connection = nullptr;
        ULONG got = 0;
        while (profile == 0 && connections->Next(1, &connection, &got) == S_OK && got == 1) {
            GUID id = {};
            wchar_t text[64] = {};
            INetwork* network = nullptr;
            NLM_NETWORK_CATEGORY category = NLM_NETWORK_CATEGORY_PUBLIC;
            if (SUCCEEDED(connection->GetAdapterId(&id)) && StringFromGUID2(id, text, 64) > 0 &&
                _wcsicmp(text, wideFromUtf8(adapter.c_str()).c_str()) == 0 &&
                SUCCEEDED(connection->GetNetwork(&network))) {
                if (SUCCEEDED(network->GetCategory(&category))) {
                    profile = category == NLM_NETWORK_CATEGORY_PUBLIC    ? ProfilePublic
                              : category == NLM_NETWORK_CATEGORY_PRIVATE ? ProfilePrivate
                                                                         : ProfileDomain;
                }
                network->Release();
            }
            connection->Release();
        }
        connections->Release();
    }
    manager->Release();
    return profile;
}

std::string narrow(BSTR text) {
    if (text == nullptr) {
        return "";
    }
    std::string out;
    for (const wchar_t* at = text; *at != L'\0'; ++at) {
        out += *at < 0x80 ? static_cast<char>(*at) : '?';
    }
    return out;
}

// INetFwRule3 (Windows 8 on), which says whether a rule holds for one app
// package only; netfw.h of the import libraries here may lack it.
constexpr GUID FirewallRule3Interface = {
    0xb21563ff, 0xd696, 0x4222, {0xab, 0x46, 0x4e, 0x89, 0xb7, 0x3a, 0xb3, 0x4a}};

bool nonEmpty(BSTR text) {
    const bool some = text != nullptr && text[0] != L'\0';
    SysFreeString(text);
    return some;
}

// What the judgement needs of a rule.
void readRule(INetFwRule* rule, const wchar_t* program, uint16_t port, ReachView& view) {
    FirewallRuleFacts facts = {};
    BSTR application = nullptr;
    if (FAILED(rule->get_ApplicationName(&application))) {
        return;
    }
    if (application == nullptr || application[0] == L'\0') {
        facts.anyProgram = true;
    } else {
        wchar_t expanded[MAX_PATH * 4];
        const DWORD length = ExpandEnvironmentStringsW(application, expanded, MAX_PATH * 4);
        facts.ours = length > 0 && length <= MAX_PATH * 4 && _wcsicmp(expanded, program) == 0;
    }
    SysFreeString(application);
    BSTR service = nullptr;
    facts.service = SUCCEEDED(rule->get_ServiceName(&service)) && nonEmpty(service);
    INetFwRule3* withPackage = nullptr;
    if (SUCCEEDED(
            rule->QueryInterface(FirewallRule3Interface, reinterpret_cast<void**>(&withPackage)))) {
        BSTR package = nullptr;
        facts.package =
            SUCCEEDED(withPackage->get_LocalAppPackageId(&package)) && nonEmpty(package);
        withPackage->Release();
    }
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_OUT;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    NET_FW_ACTION action = NET_FW_ACTION_BLOCK;
    long profiles = 0;
    long protocol = 0;
    BSTR ports = nullptr;
    facts.inbound = SUCCEEDED(rule->get_Direction(&direction)) && direction == NET_FW_RULE_DIR_IN;
    facts.enabled = SUCCEEDED(rule->get_Enabled(&enabled)) && enabled == VARIANT_TRUE;
    facts.allow = SUCCEEDED(rule->get_Action(&action)) && action == NET_FW_ACTION_ALLOW;
    facts.profiles = SUCCEEDED(rule->get_Profiles(&profiles)) ? static_cast<uint32_t>(profiles) : 0;
    // TCP (6) or any protocol (256); no ports given is every port.
    facts.tcp = SUCCEEDED(rule->get_Protocol(&protocol)) && (protocol == 6 || protocol == 256);
    const bool portsRead = SUCCEEDED(rule->get_LocalPorts(&ports));
    const std::string written = narrow(ports);
    facts.tcp = facts.tcp && portsRead;
    facts.ports = ports == nullptr ? nullptr : written.c_str();
    SysFreeString(ports);
    noteFirewallRule(view, facts, port);
}

// Windows Firewall on the profile: whether it is on, whether it blocks all
// incoming connections, and the rules of padrelle.exe and of every program.
void readFirewall(uint16_t port, ReachView& view) {
    INetFwPolicy2* policy = nullptr;
    if (FAILED(CoCreateInstance(FirewallPolicyClass, nullptr, CLSCTX_INPROC_SERVER,
                                FirewallPolicyInterface, reinterpret_cast<void**>(&policy)))) {
        return;
    }
    for (const uint32_t profile : {ProfileDomain, ProfilePrivate, ProfilePublic}) {
        const auto type = static_cast<NET_FW_PROFILE_TYPE2>(profile);
        VARIANT_BOOL on = VARIANT_FALSE;
        VARIANT_BOOL blockAll = VARIANT_FALSE;
        view.firewallOn |=
            SUCCEEDED(policy->get_FirewallEnabled(type, &on)) && on == VARIANT_TRUE ? profile : 0;
        view.blockAllInbound |= SUCCEEDED(policy->get_BlockAllInboundTraffic(type, &blockAll)) &&
                                        blockAll == VARIANT_TRUE
                                    ? profile
                                    : 0;
    }
    INetFwRules* rules = nullptr;
    IUnknown* listing = nullptr;
    IEnumVARIANT* each = nullptr;
    const std::wstring program = programPath();
    if (!program.empty() && SUCCEEDED(policy->get_Rules(&rules)) &&
        SUCCEEDED(rules->get__NewEnum(&listing)) &&
        SUCCEEDED(listing->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&each)))) {
        view.firewallRead = true;
        VARIANT item;
        VariantInit(&item);
        while (each->Next(1, &item, nullptr) == S_OK) {
            INetFwRule* rule = nullptr;
            if (item.vt == VT_DISPATCH && item.pdispVal != nullptr &&
                SUCCEEDED(item.pdispVal->QueryInterface(FirewallRuleInterface,
                                                        reinterpret_cast<void**>(&rule)))) {
                readRule(rule, program.c_str(), port, view);
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
}

} // namespace

// On the reach check's own thread: COM in a multithreaded apartment of its
// own, never the main thread's.
uint32_t hostReachProblems(const char* address, uint16_t port) {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ReachView view = {};
    view.profile = profileOfAdapter(adapterOf(address));
    readFirewall(port, view);
    if (SUCCEEDED(started)) {
        CoUninitialize();
    }
    return judgeReach(view);
}

bool hostRandomBytes(uint8_t* out, size_t size) {
    return BCryptGenRandom(nullptr, out, static_cast<ULONG>(size),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}
