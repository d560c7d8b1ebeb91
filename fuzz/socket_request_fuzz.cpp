// Arbitrary bytes sent to the remote controller's server on a loopback
// socket: as an HTTP request (first byte even), or as WebSocket frames after
// a handshake with the right code (first byte odd). The server must answer
// or close, never crash, hang or serve anything but the page; the main loop
// files whatever gets through.
#include "broken.h"
#include "support/fake_platform.h"
#include "support/loopback_port.h"
#include "remote/remote_gate.h"
#include "remote/remote_link.h"
#include "remote/remote_page.h"
#include "touch/touch_table.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr const char* Code = "7k2m9xq4hd0c";
uint16_t port = 0;
int unanswered = 0; // right handshakes and connections in a row with no answer

void startOnce() {
    if (port != 0) {
        return;
    }
    installFakePlatform();
    resetTouchTable();
    port = loopbackTestPort();
    if (!startRemote(Code, "layout 1\nname default\n", port)) {
        broken(remoteStatus().problem);
    }
}

// The client's own loopback address: 127.0.0.1 for requests, 127.0.0.2 for
// the right handshakes, which the wrong codes of requests never shut out.
// -1 when the system has no connection to give.
int connectFrom(uint32_t from) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in client = {};
    client.sin_family = AF_INET;
    client.sin_addr.s_addr = htonl(from);
    // Tens of thousands of connections a run: the port is chosen at the
    // connect, and a close leaves no TIME_WAIT to hold it (a reset, once the
    // exchange is over).
    const int late = 1;
    setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &late, sizeof late);
    const linger reset = {1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    if (bind(fd, reinterpret_cast<sockaddr*>(&client), sizeof client) != 0) {
        broken("no loopback address to send from");
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    timeval wait = {3, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return fd;
}

// The answer up to the end of its head, or all of it until the server
// closes; at most 1 MiB.
std::string receive(int fd, bool headOnly) {
    std::string answer;
    char buffer[4096];
    const size_t chunk = headOnly ? 1 : sizeof buffer;
    ssize_t got = 0;
    while ((!headOnly || answer.find("\r\n\r\n") == std::string::npos) &&
           (got = recv(fd, buffer, chunk, 0)) > 0 && answer.size() < (1u << 20)) {
        answer.append(buffer, static_cast<size_t>(got));
    }
    return answer;
}

void sendAll(int fd, const std::string& bytes) {
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    startOnce();
    // Wrong codes of earlier requests shut the next ones out for a minute at
    // the most: a minute later, the gate's other checks are explored again.
    fakePlatform.time += GateLongestWaitMs + 1;
    if (size == 0) {
        return 0;
    }
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string host = "127.0.0.1:" + std::to_string(port);
    const bool frames = (data[0] & 1) != 0;
    const int fd = connectFrom(frames ? 0x7F000002u : INADDR_LOOPBACK);
    // Tens of thousands of loopback connections a run sometimes meet the
    // system's limits (no port free, a connection reset before the answer):
    // such an input says nothing of the server, unless it happens on and on.
    if (fd < 0) {
        ++unanswered;
    }
    if (unanswered >= 100) {
        broken("the server has answered no connection of the last 100");
    }
    if (fd < 0) {
        return 0;
    }
    if (!frames) {
        unanswered = 0;
    }
    if (frames) {
        // The handshake's answer is read before the frames go: a server that
        // closes on a bad frame with input unread resets the connection, and
        // what it had sent may then be lost.
        sendAll(fd, "GET /socket?code=" + std::string(Code) + " HTTP/1.1\r\nHost: " + host +
                        "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                        "Sec-WebSocket-Version: 13\r\nOrigin: http://" +
                        host + "\r\n\r\n");
        const std::string head = receive(fd, true);
        if (!head.empty() && head.rfind("HTTP/1.1 101", 0) != 0) {
            broken(("the right handshake was refused: \"" + head.substr(0, 120) + "\"").c_str());
        }
        unanswered = head.empty() ? unanswered + 1 : 0;
    }
    sendAll(fd, rest);
    shutdown(fd, SHUT_WR);
    const std::string answer = receive(fd, false);
    close(fd);
    if (!frames) {
        // Whatever succeeds is the page (at "/", any query): no file, no
        // listing, nothing else; and the page only to GET (a HEAD has no body).
        // The server skips white space before the request line, as HTTP has
        // it skip the empty lines there.
        const size_t start = std::min(rest.find_first_not_of(" \t\r\n\v\f"), rest.size());
        const std::string method = rest.substr(start, rest.find_first_of(" \t", start) - start);
        const bool page = answer.rfind("HTTP/1.1 200", 0) == 0 &&
                          answer.find(std::string(RemotePage, RemotePageSize)) != std::string::npos;
        if (answer.rfind("HTTP/1.1 2", 0) == 0 && !page && method != "HEAD") {
            broken("something other than the page was served");
        }
        if (page && method != "GET") {
            broken("the page was served to a request that is not a GET");
        }
    }
    // The passes that file what came, one change of the fingers each.
    for (int pass = 0; pass < 64; ++pass) {
        pollRemote();
    }
    return 0;
}
