#include "remote/network_reach.h"

#include "base/format_text.h"

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

uint32_t judgeReach(const ReachView& view) {
    uint32_t problems = view.profile == ProfilePublic ? ReachPublicNetwork : 0;
    if (!view.firewallRead || view.profile == 0 || (view.firewallOn & view.profile) == 0) {
        return problems;
    }
    // "Block all incoming connections" holds whatever the rules say.
    if ((view.blockAllInbound & view.profile) != 0) {
        return problems | ReachFirewallBlocks;
    }
    bool named = view.namesUs;
    bool allowed = false;
    bool blocked = false;
    const int32_t count = view.ruleCount < FirewallRulesKept ? view.ruleCount : FirewallRulesKept;
    for (int32_t i = 0; i < count; ++i) {
        const FirewallRuleView& rule = view.rules[i];
        named = named || rule.ours;
        const bool holds = rule.enabled && rule.inbound && (rule.profiles & view.profile) != 0 &&
                           (rule.ours || rule.anyProgram) && rule.coversOurPort;
        // A rule that blocks wins over one that allows.
        blocked = blocked || (holds && !rule.allow);
        allowed = allowed || (holds && rule.allow);
    }
    if (blocked) {
        return problems | ReachFirewallBlocks;
    }
    if (allowed) {
        return problems;
    }
    return problems | (named ? ReachFirewallBlocks : ReachFirewallWillAsk);
}

namespace {

// A port number at `at`, moved past it; false when there is none (or it is
// longer than a port can be).
bool readPort(const char*& at, uint32_t& value) {
    value = 0;
    int digits = 0;
    while (*at >= '0' && *at <= '9') {
        if (++digits > 5) {
            return false;
        }
        value = value * 10 + static_cast<uint32_t>(*at++ - '0');
    }
    return digits > 0;
}

} // namespace

bool portListCovers(const char* ports, uint16_t port) {
    if (ports == nullptr) {
        return false;
    }
    const char* at = ports;
    while (*at != '\0') {
        while (*at == ' ' || *at == ',') {
            ++at;
        }
        if (*at == '*') {
            return true;
        }
        uint32_t low = 0;
        uint32_t high = 0;
        bool good = readPort(at, low);
        high = low;
        if (good && *at == '-') {
            ++at;
            good = readPort(at, high);
        }
        good = good && (*at == '\0' || *at == ',' || *at == ' ');
        if (good && port >= low && port <= high) {
            return true;
        }
        // Anything else (a keyword such as RPC, a stray character) takes no port.
        while (*at != '\0' && *at != ',') {
            ++at;
        }
    }
    return false;
}

void noteFirewallRule(ReachView& view, const FirewallRuleFacts& rule, uint16_t port) {
    // Any rule naming padrelle.exe, of whatever direction or state: Windows
    // does not ask about it any more.
    view.namesUs = view.namesUs || rule.ours;
    // A rule of one service or one app package holds for it alone, as one of
    // another program holds for that program.
    const bool forUs = rule.ours || (rule.anyProgram && !rule.service && !rule.package);
    const bool holds = forUs && rule.inbound && rule.enabled && rule.tcp &&
                       (rule.ports == nullptr || portListCovers(rule.ports, port));
    if (!holds) {
        return;
    }
    // Rules of one kind (allowing or blocking, Padrelle's or every
    // program's) join their profiles: four at most, none ever left out.
    for (int32_t i = 0; i < view.ruleCount; ++i) {
        FirewallRuleView& kept = view.rules[i];
        if (kept.allow == rule.allow && kept.ours == rule.ours) {
            kept.profiles |= rule.profiles;
            return;
        }
    }
    if (view.ruleCount < FirewallRulesKept) {
        view.rules[view.ruleCount++] =
            FirewallRuleView{true, true, rule.allow, rule.profiles, rule.ours, !rule.ours, true};
    }
}
