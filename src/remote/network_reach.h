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

// What the player is to do, for the screen; "" when nothing is known wrong.
void describeReachProblems(uint32_t problems, char* out, size_t size);
