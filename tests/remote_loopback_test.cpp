// The remote controller's server on real loopback sockets: what it serves,
// what it refuses, and a phone's WebSocket from handshake to a key and back.
#include "support/controller_fixture.h"
#include "support/loopback_port.h"
#include "remote/remote_fingers.h"
#include "remote/remote_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

constexpr const char* Code = "7k2m9xq4hd0c";

class RemoteLoopback : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        enterPlay();
        port = loopbackTestPort();
        ASSERT_TRUE(startRemote(Code, "layout 1\nname default\n", port)) << remoteStatus().problem;
        host = "127.0.0.1:" + std::to_string(port);
    }
    void TearDown() override {
        for (int fd : sockets) {
            close(fd);
        }
        resetRemote();
        ControllerFixture::TearDown();
    }

    int connectToServer() {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        timeval wait = {5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        sockets.push_back(fd);
        return fd;
    }

    static void sendAll(int fd, const std::string& bytes) {
        ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }

    // Everything the server answers until it closes (or 5 s pass).
    std::string ask(const std::string& request) {
        const int fd = connectToServer();
        sendAll(fd, request);
        std::string answer;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
            answer.append(buffer, static_cast<size_t>(got));
        }
        return answer;
    }

    std::string get(const std::string& target, const std::string& extra = "") {
        return ask("GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + extra + "\r\n");
    }

    // The WebSocket handshake; the socket and the answer's head.
    int openSocket(const std::string& query, std::string& head, std::string origin = "") {
        origin = origin.empty() ? "http://" + host : origin;
        const int fd = connectToServer();
        sendAll(fd, "GET /socket?" + query + " HTTP/1.1\r\nHost: " + host +
                        "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                        "Sec-WebSocket-Version: 13\r\nOrigin: " +
                        origin + "\r\n\r\n");
        head.clear();
        char c = 0;
        while (head.find("\r\n\r\n") == std::string::npos && recv(fd, &c, 1, 0) == 1) {
            head += c;
        }
        return fd;
    }

    // A client's frame: masked, as browsers send them.
    static std::string frame(uint8_t opcode, const std::string& payload) {
        std::string bytes;
        bytes += static_cast<char>(0x80 | opcode);
        bytes += static_cast<char>(0x80 | payload.size());
        const char mask[4] = {0x11, 0x22, 0x33, 0x44};
        bytes.append(mask, 4);
        for (size_t i = 0; i < payload.size(); ++i) {
            bytes += static_cast<char>(payload[i] ^ mask[i % 4]);
        }
        return bytes;
    }

    // Main loop passes until the strokes are these, for at most 3 s.
    static bool passUntil(const std::vector<std::string>& wanted) {
        for (int i = 0; i < 3000 && strokes() != wanted; ++i) {
            pollRemote();
            updateController();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return strokes() == wanted;
    }

    uint16_t port = 0;
    std::string host;
    std::vector<int> sockets;
};

// The status of an answer: "403" of "HTTP/1.1 403 Forbidden".
std::string statusOf(const std::string& answer) {
    const size_t space = answer.find(' ');
    return space == std::string::npos ? "" : answer.substr(space + 1, 3);
}

const std::string PadDown("\x01\x01\x00\xbc\x02\x58\x02", 7); // finger 0 down at (700, 600)

TEST_F(RemoteLoopback, ServesThePageAndNothingElse) {
    const std::string page = get("/");
    EXPECT_EQ(statusOf(page), "200") << page.substr(0, 200);
    EXPECT_NE(page.find("<title>Padrelle</title>"), std::string::npos);
    EXPECT_NE(page.find("Content-Security-Policy: default-src 'none'"), std::string::npos);
    EXPECT_NE(page.find("Cache-Control: no-store"), std::string::npos);
    struct Case {
        std::string request;
        std::string status; // its first digit, or all three
    };
    const std::string tail = " HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
    const Case cases[] = {
        {"GET /index.html" + tail, "404"},
        {"GET /../../etc/passwd" + tail, "4"},
        {"GET /socket" + tail, "404"},
        {"POST /" + tail, "405"},
        {"PUT /page.html" + tail, "4"},
        {"\x01\x02 nonsense\r\n\r\n", "4"},
        {"GET / HTTP/1.1\r\nHost: " + host + "\r\nX-Long: " + std::string(5000, 'a') + "\r\n\r\n",
         "4"},
    };
    for (const Case& c : cases) {
        const std::string answer = ask(c.request);
        // Refused with an answer, or closed without one: never served.
        EXPECT_TRUE(statusOf(answer).rfind(c.status, 0) == 0 || answer.empty())
            << c.request.substr(0, 40) << " -> " << answer.substr(0, 80);
        EXPECT_EQ(answer.find("<title>Padrelle"), std::string::npos) << c.request.substr(0, 40);
    }
}

TEST_F(RemoteLoopback, RefusesAWrongCodeOrOriginThenShutsTheAddressOut) {
    std::string head;
    openSocket("code=000000000000", head);
    EXPECT_EQ(statusOf(head), "403") << head;
    openSocket(std::string("code=") + Code, head);
    EXPECT_EQ(statusOf(head), "429") << head;
    fakePlatform.time += 1000; // the server's clock is the platform's
    openSocket(std::string("code=") + Code, head, "http://evil.example");
    EXPECT_EQ(statusOf(head), "403") << head;
    pollRemote();
    EXPECT_EQ(remoteStatus().state, RemoteState::Waiting);
    EXPECT_GE(remoteStatus().refusedCount, 3u);
}

TEST_F(RemoteLoopback, AFingerOnThePhoneIsAKeyUntilTheConnectionDrops) {
    std::string head;
    const int fd = openSocket(std::string("code=") + Code, head);
    ASSERT_EQ(statusOf(head), "101") << head;
    sendAll(fd, frame(0x2, PadDown));
    EXPECT_TRUE(passUntil({"make 0x2C"}));
    // The layout came first, then the pong of a ping.
    sendAll(fd, frame(0x2, std::string("\x02\x05\x00\x00\x00\xff\xff", 7)));
    std::string answer;
    char buffer[256];
    for (int i = 0; i < 50 && answer.find("\x82\x05") == std::string::npos; ++i) {
        pollRemote();
        const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            answer.append(buffer, static_cast<size_t>(got));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(answer.find("layout\nlayout 1\nname default\n"), std::string::npos);
    EXPECT_NE(answer.find(std::string("\x82\x05\x82\x05\x00\x00\x00", 7)), std::string::npos);
    // The phone is gone mid-press: the key comes up.
    shutdown(fd, SHUT_RDWR);
    EXPECT_TRUE(passUntil({"make 0x2C", "break 0x2C"}));
    EXPECT_EQ(remoteFingersDown(), 0);
}

TEST_F(RemoteLoopback, AFragmentOrATextMessageEndsTheConnection) {
    for (const std::string& bad :
         {std::string("\x02\x81\x00\x00\x00\x00\x01", 7), frame(0x1, "hello")}) {
        std::string head;
        const int fd = openSocket(std::string("code=") + Code, head);
        ASSERT_EQ(statusOf(head), "101") << head;
        sendAll(fd, frame(0x2, PadDown));
        sendAll(fd, bad);
        clearStrokes();
        EXPECT_TRUE(passUntil({"make 0x2C", "break 0x2C"})) << strokes().size();
        clearStrokes();
    }
}

} // namespace
