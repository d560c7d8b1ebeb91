#include "remote/network_reach.h"

#include "engine/format_text.h"

void describeReachProblems(uint32_t problems, char* out, size_t size) {
    if ((problems & ReachFirewallWillAsk) != 0) {
        formatTextN(out, size, "%s",
                    "Windows asks whether Padrelle may use the network: allow private networks");
    } else if ((problems & ReachFirewallBlocks) != 0) {
        formatTextN(out, size, "%s",
                    "Windows Firewall keeps the phone out: allow padrelle.exe on private "
                    "networks (Windows Security, Firewall, Allow an app through firewall)");
    } else if ((problems & ReachPublicNetwork) != 0) {
        formatTextN(out, size, "%s",
                    "this network is set to Public, where the phone cannot reach the PC: make "
                    "it Private (Settings, Network, the network's properties)");
    } else {
        formatTextN(out, size, "%s", "");
    }
}
