// What Windows knows that keeps a phone from reaching this PC: the network's
// category and Windows Firewall. Asked when the server starts and now and
// then while no phone is connected; said on the controller screen.
#pragma once

#include <cstddef>
#include <cstdint>

// A network the PC is connected to is Public: Windows Firewall keeps other
// devices out there unless the program is allowed on public networks.
constexpr uint32_t ReachPublicNetwork = 1;
// Windows Firewall is on and no rule lets padrelle.exe in on the networks in
// use (a rule blocks it, or allows it only on others).
constexpr uint32_t ReachFirewallBlocks = 2;
// Windows Firewall is on and no rule names padrelle.exe yet: Windows asks
// the player when the server first listens.
constexpr uint32_t ReachFirewallWillAsk = 4;

// How often the problems are asked again while no phone is connected.
constexpr uint32_t ReachCheckMs = 30000;

// Windows Firewall's profiles (NET_FW_PROFILE2_*), one for each category of
// network: a domain's, a Private one, a Public one.
constexpr uint32_t ProfileDomain = 1;
constexpr uint32_t ProfilePrivate = 2;
constexpr uint32_t ProfilePublic = 4;

// A rule of Windows Firewall, as far as the judgement needs it.
struct FirewallRuleView {
    bool enabled;
    bool inbound;
    bool allow;         // else it blocks
    uint32_t profiles;  // the profiles it holds on
    bool ours;          // it names padrelle.exe
    bool anyProgram;    // it names no program: it holds for every one
    bool coversOurPort; // its protocol and local ports take TCP at the server's port
};

constexpr int32_t FirewallRulesKept = 64;

// What Windows says, read by the Win32 layer: the network behind the address
// the phone is told (its profile; 0 when no network of Windows' list has it),
// and the firewall on that profile with the rules that touch padrelle.exe or
// the server's port.
struct ReachView {
    uint32_t profile;
    bool firewallRead;
    uint32_t firewallOn;      // profiles where the firewall is on
    uint32_t blockAllInbound; // profiles set to "block all incoming connections"
    int32_t ruleCount;
    FirewallRuleView rules[FirewallRulesKept];
    // A rule of any direction or state names padrelle.exe.
    bool namesUs;
};

// A rule of Windows Firewall as the Win32 layer reads it (INetFwRule,
// INetFwRule3), for noteFirewallRule.
struct FirewallRuleFacts {
    bool ours;       // its application is padrelle.exe
    bool anyProgram; // it names no application
    bool service;    // it holds for one service only (a service name)
    bool package;    // it holds for one app package only (a package id)
    bool inbound;
    bool enabled;
    bool allow;
    uint32_t profiles;
    bool tcp;          // TCP, or any protocol
    const char* ports; // its local ports as Windows Firewall writes them; null: every port
};

// One rule of the firewall's list, as it is read: kept in the view when it
// can decide whether the phone gets in at the port (enabled, inbound, TCP at
// the port, of padrelle.exe or of every program with no service or package
// of its own), joined with those of its kind; noted when it names
// padrelle.exe.
void noteFirewallRule(ReachView& view, const FirewallRuleFacts& rule, uint16_t port);

// The problems of that view: the phone's network Public; the firewall on
// there keeping the server out (all incoming blocked, a rule that blocks it,
// no rule that lets it in); or no rule naming padrelle.exe at all, so that
// Windows asks. Only the phone's network counts: a Public virtual adapter
// beside a Private Wi-Fi is no problem.
uint32_t judgeReach(const ReachView& view);
// Whether a rule's local ports ("*", "8750", "8000-9000,80", as Windows
// Firewall writes them) take the port.
bool portListCovers(const char* ports, uint16_t port);

// What the player is to do, for the screen; "" when nothing is known wrong.
void describeReachProblems(uint32_t problems, char* out, size_t size);
