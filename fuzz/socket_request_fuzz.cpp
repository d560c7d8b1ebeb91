// Arbitrary bytes sent to the remote controller's server on a loopback
// socket: as an HTTP request (first byte even), or as WebSocket frames after
// a handshake with the right code (first byte odd). The server must answer
// or close, never crash, hang or serve anything but the page; the main loop
// files whatever gets through.
#include "broken.h"
#include "support/fake_platform.h"
#include "support/loopback_port.h"
#include "touch/remote_link.h"
#include "touch/remote_page.h"
#include "touch/touch_table.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr const char* Code = "7k2m9xq4hd0c";
uint16_t port = 0;

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

std::string exchange(const std::string& bytes) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        broken("the server does not take connections");
    }
    timeval wait = {3, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0 && answer.size() < (1u << 20)) {
        answer.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return answer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    startOnce();
    // Wrong codes of earlier inputs do not shut later ones out.
    fakePlatform.time += 3600000;
    if (size == 0) {
        return 0;
    }
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string host = "127.0.0.1:" + std::to_string(port);
    const bool frames = (data[0] & 1) != 0;
    const std::string request = frames ? "GET /socket?code=" + std::string(Code) +
                                             " HTTP/1.1\r\nHost: " + host +
                                             "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                             "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                             "Sec-WebSocket-Version: 13\r\nOrigin: http://" +
                                             host + "\r\n\r\n" + rest
                                       : rest;
    const std::string answer = exchange(request);
    // Whatever succeeds is the page (at "/", any query) or the socket: no file,
    // no listing, nothing else; and the page only to GET (a HEAD has no body).
    const std::string method = rest.substr(0, rest.find_first_of(" \t"));
    const bool page = answer.rfind("HTTP/1.1 200", 0) == 0 &&
                      answer.find(std::string(RemotePage, RemotePageSize)) != std::string::npos;
    if (!frames && answer.rfind("HTTP/1.1 2", 0) == 0 && !page && method != "HEAD") {
        broken("something other than the page was served");
    }
    if (page && method != "GET") {
        broken("the page was served to a request that is not a GET");
    }
    if (frames && answer.rfind("HTTP/1.1 101", 0) != 0) {
        broken("the right handshake was refused");
    }
    pollRemote();
    return 0;
}
