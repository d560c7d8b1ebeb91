// Windows Firewall's rules as they are read, one after the other, from a
// list that may hold hundreds (of every direction, program, service and app
// package): what can let the phone in or keep it out is kept, whatever
// comes before it.
#include "remote/network_reach.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint16_t Port = 8750;

// Rules as a PC's list has them, by kind.
const FirewallRuleFacts OtherAppsOut = {false, false, false, false, false,
                                        true,  true,  7,     true,  nullptr};
const FirewallRuleFacts EveryProgramOut = {false, true, false, false, false,
                                           true,  true, 7,     true,  nullptr};
const FirewallRuleFacts AppPackageIn = {false, true, false, true, true,
                                        true,  true, 7,     true, nullptr};
const FirewallRuleFacts ServiceIn = {false, true, true, false, true, true, true, 7, true, "*"};
const FirewallRuleFacts OursOut = {true, false, false, false, false, true, true, 7, true, nullptr};
const FirewallRuleFacts OursBlockPublic = {true, false, false, false, true,
                                           true, false, 4,     true,  nullptr};
const FirewallRuleFacts OursAllowPrivate = {true, false, false, false, true,
                                            true, true,  2,     true,  "8750"};
const FirewallRuleFacts PortBlock = {false, true,  false, false, true,
                                     true,  false, 7,     true,  "8000-9000"};

TEST(FirewallRules, WhatDecidesIsKeptWhereverItLiesInTheList) {
    struct Case {
        const char* what;
        uint32_t profile;
        std::vector<FirewallRuleFacts> last; // after 300 rules of other kinds
        uint32_t problems;
    };
    const Case cases[] = {
        {"Padrelle's allow rule past hundreds of others", ProfilePrivate, {OursAllowPrivate}, 0},
        {"its Public block rule at the end",
         ProfilePublic,
         {OursBlockPublic},
         ReachPublicNetwork | ReachFirewallBlocks},
        {"an app package's and a service's rules let nobody else in",
         ProfilePrivate,
         {},
         ReachFirewallWillAsk},
        {"an outbound rule of its own names it: no question comes",
         ProfilePrivate,
         {OursOut},
         ReachFirewallBlocks},
        {"a block rule of every program at the port wins",
         ProfilePrivate,
         {OursAllowPrivate, PortBlock},
         ReachFirewallBlocks},
    };
    for (const Case& c : cases) {
        ReachView view = {};
        view.profile = c.profile;
        view.firewallRead = true;
        view.firewallOn = 7;
        for (int32_t i = 0; i < 300; ++i) {
            const FirewallRuleFacts kinds[] = {OtherAppsOut, EveryProgramOut, AppPackageIn,
                                               ServiceIn};
            noteFirewallRule(view, kinds[i % 4], Port);
        }
        for (const FirewallRuleFacts& rule : c.last) {
            noteFirewallRule(view, rule, Port);
        }
        EXPECT_EQ(judgeReach(view), c.problems) << c.what;
    }
}

} // namespace
