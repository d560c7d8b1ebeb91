#include "support/fake_network.h"

#include <cstring>

FakeNetwork fakeNetwork;
std::atomic<int32_t> fakeReachAsked{0};

const Network RecordingNetwork = {
    .startServer =
        [](const ServerSettings& settings, char*, size_t) {
            fakeNetwork.settings = settings;
            fakeNetwork.started = true;
            return true;
        },
    .stopServer = [] { fakeNetwork.started = false; },
    .sendMessage =
        [](ConnectionId id, const uint8_t* data, size_t size, bool text) {
            std::string said = text ? "" : "binary:";
            said.append(reinterpret_cast<const char*>(data), size);
            fakeNetwork.sent.emplace_back(id, said);
            return true;
        },
    .closeConnection = [](ConnectionId id) { fakeNetwork.closedByUs.push_back(id); },
    .localAddresses =
        [](HostAddress* out, int32_t max) {
            int32_t count = 0;
            for (const HostAddress& address : fakeNetwork.addresses) {
                if (count < max) {
                    out[count++] = address;
                }
            }
            return count;
        },
    .randomBytes =
        [](uint8_t* out, size_t size) {
            std::memset(out, 0x42, size);
            return true;
        },
    .reachProblems =
        [](const char* address, uint16_t port) {
            fakeNetwork.reachAskedFor = std::string(address) + ":" + std::to_string(port);
            ++fakeReachAsked;
            return fakeNetwork.reach;
        },
};
