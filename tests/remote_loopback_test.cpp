// The remote controller's server on real loopback sockets: what it serves,
// what it refuses, and a phone's WebSocket from handshake to a key and back.
#include "remote/network.h"
#include "remote/remote_fingers.h"
#include "remote/remote_link.h"
#include "support/controller_fixture.h"
#include "support/loopback_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <civetweb.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

constexpr const char* Code = "7k2m9xq4hd0c";

// Binds the socket to the address (when one is given) and connects it to the
// server's port on the loopback.
bool connectFrom(int fd, uint16_t port, const char* from) {
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from != nullptr ? from : "127.0.0.1", &local.sin_addr);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return (from == nullptr || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) &&
           connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

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

    // A connection from an address of 127.0.0.0/8 (another device).
    int connectToServer(const char* from = nullptr) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_TRUE(connectFrom(fd, port, from)) << (from != nullptr ? from : "");
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
    std::string ask(const std::string& request, const char* from = nullptr) {
        const int fd = connectToServer(from);
        sendAll(fd, request);
        return readToEnd(fd);
    }

    static std::string readToEnd(int fd) {
        std::string answer;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
            answer.append(buffer, static_cast<size_t>(got));
        }
        return answer;
    }

    // The WebSocket handshake; the socket and the answer's head.
    int openSocket(const std::string& query, std::string& head, std::string origin = "",
                   const char* from = nullptr, const std::string& path = "/socket") {
        origin = origin.empty() ? "http://" + host : origin;
        const int fd = connectToServer(from);
        sendAll(fd, "GET " + path + "?" + query + " HTTP/1.1\r\nHost: " + host +
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

    // A client's frame: masked, as browsers send them (first byte as given
    // when not 0: FIN, reserved bits and opcode).
    static std::string frame(uint8_t opcode, const std::string& payload, uint8_t first = 0) {
        std::string bytes;
        bytes += static_cast<char>(first != 0 ? first : 0x80 | opcode);
        if (payload.size() < 126) {
            bytes += static_cast<char>(0x80 | payload.size());
        } else {
            bytes += static_cast<char>(0x80 | 126);
            bytes += static_cast<char>(payload.size() >> 8);
            bytes += static_cast<char>(payload.size() & 0xFF);
        }
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

// Every request form a client can send is answered in HTTP, status line
// first, and only "/" is the page: nothing is ever just closed or answered
// with bare bytes.
TEST_F(RemoteLoopback, EveryRequestFormIsAnsweredInHttp) {
    struct Case {
        const char* what;
        std::string request;
        std::string status; // all three digits, or the first alone
    };
    const std::string hostLine = "Host: " + host + "\r\n";
    const std::string tail = " HTTP/1.1\r\n" + hostLine + "\r\n";
    const std::string upgrade = " HTTP/1.1\r\n" + hostLine + "Origin: http://" + host +
                                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                "Sec-WebSocket-Version: 13\r\n\r\n";
    const std::string code = std::string("code=") + Code;
    const Case cases[] = {
        {"the page", "GET /" + tail, "200"},
        {"the page's head", "HEAD /" + tail, "200"},
        {"the page over HTTP/1.0", "GET / HTTP/1.0\r\n\r\n", "200"},
        {"a file", "GET /index.html" + tail, "404"},
        {"a file's head", "HEAD /index.html" + tail, "404"},
        {"a way out", "GET /../../etc/passwd" + tail, "4"},
        {"the socket without an upgrade", "GET /socket" + tail, "404"},
        {"a post", "POST /" + tail, "405"},
        {"a put", "PUT /page.html" + tail, "4"},
        {"OPTIONS *", "OPTIONS *" + tail, "4"},
        {"OPTIONS /", "OPTIONS /" + tail, "405"},
        {"an absolute URI", "GET http://" + host + "/" + tail, "4"},
        {"an absolute URI of the socket", "GET http://" + host + "/socket?" + code + upgrade, "4"},
        {"CONNECT", "CONNECT " + host + tail, "4"},
        {"nonsense", "\x01\x02 nonsense\r\n\r\n", "4"},
        {"no version", "GET /\r\n\r\n", "4"},
        {"HTTP/2 as text", "GET / HTTP/2.0\r\n" + hostLine + "\r\n", "505"},
        {"headers too long",
         "GET / HTTP/1.1\r\n" + hostLine + "X-Long: " + std::string(5000, 'a') + "\r\n\r\n", "4"},
        {"a request line too long", "GET /" + std::string(5000, 'a') + tail, "4"},
        {"an upgrade at /", "GET /?" + code + upgrade, "404"},
        {"an upgrade with the code in the path", "GET /socket/" + std::string(Code) + upgrade,
         "404"},
        {"an upgrade with the code in a fragment", "GET /socket#" + code + upgrade, "404"},
        {"an upgrade at another path", "GET /other?" + code + upgrade, "404"},
        {"an upgrade over HTTP/1.0",
         "GET /socket?" + code + " HTTP/1.0\r\n" + upgrade.substr(upgrade.find("\r\n") + 2), "4"},
        {"the check, right code", "GET /check?" + code + tail, "204"},
        {"the check, no code", "GET /check" + tail, "403"},
        {"the check posted", "POST /check?" + code + tail, "405"},
    };
    for (const Case& c : cases) {
        const std::string answer = ask(c.request);
        EXPECT_EQ(answer.rfind("HTTP/1.", 0), 0u) << c.what << " -> " << answer.substr(0, 80);
        EXPECT_EQ(statusOf(answer).rfind(c.status, 0), 0u)
            << c.what << " -> " << answer.substr(0, 80);
        EXPECT_NE(answer.find("\r\n\r\n"), std::string::npos) << c.what;
        const bool page = c.status == "200" && c.request.rfind("GET", 0) == 0;
        if (c.request.rfind("HEAD", 0) == 0) {
            EXPECT_EQ(answer.size(), answer.find("\r\n\r\n") + 4) << c.what << ": a body";
        }
        EXPECT_EQ(answer.find("<title>Padrelle</title>") != std::string::npos, page) << c.what;
        if (page) {
            EXPECT_NE(answer.find("Content-Security-Policy: default-src 'none'"),
                      std::string::npos);
            EXPECT_NE(answer.find("Cache-Control: no-store"), std::string::npos);
        }
    }
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

// Refusals are HTTP answers a page can tell apart: the page's check gives
// the cause before it opens the socket (a refused WebSocket tells it none).
TEST_F(RemoteLoopback, RefusalsAreAnswersWithTheirStatusAndTheWait) {
    std::string head;
    openSocket("code=000000000000", head, "", "127.0.0.2");
    EXPECT_EQ(head.rfind("HTTP/1.1 403 ", 0), 0u) << head;
    openSocket("code=000000000001", head, "", "127.0.0.2");
    EXPECT_EQ(head.rfind("HTTP/1.1 429 ", 0), 0u) << head;
    EXPECT_NE(head.find("Retry-After: 1\r\n"), std::string::npos) << head;
    const auto check = [&](const std::string& query, const std::string& extra, const char* from) {
        return ask("GET /check?" + query + " HTTP/1.1\r\nHost: " + host + "\r\n" + extra + "\r\n",
                   from);
    };
    const std::string right = std::string("code=") + Code;
    const std::string wait = check("code=000000000002", "", "127.0.0.2");
    EXPECT_EQ(statusOf(wait), "429") << wait;
    EXPECT_NE(wait.find("Retry-After: 1\r\n"), std::string::npos) << wait;
    EXPECT_NE(wait.find("\r\n\r\nwrong codes wait"), std::string::npos) << wait;
    EXPECT_EQ(statusOf(check(right, "", "127.0.0.2")), "204");
    const std::string wrong = check("code=000000000003", "", "127.0.0.3");
    EXPECT_EQ(statusOf(wrong), "403") << wrong;
    EXPECT_NE(wrong.find("\r\n\r\nwrong code\n"), std::string::npos) << wrong;
    const std::string foreign = check(right, "Origin: http://evil.example\r\n", "127.0.0.4");
    EXPECT_EQ(statusOf(foreign), "403") << foreign;
    EXPECT_NE(foreign.find("\r\n\r\nnot this page's address"), std::string::npos) << foreign;
    openSocket(right, head, "http://evil.example", "127.0.0.4");
    EXPECT_EQ(statusOf(head), "403") << head;
    // The address shut out for its wrong code is let in with the right one.
    openSocket(right, head, "", "127.0.0.3");
    EXPECT_EQ(statusOf(head), "101") << head;
}

// Only the page at "/" and its socket at "/socket", matched as sent.
TEST_F(RemoteLoopback, ThePageAndItsSocketOnlyAtTheirExactPaths) {
    const std::string tail = " HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
    for (const char* target : {"/../", "/%2e%2e/", "/%00", "//", "/./", "/%2F", "/index.html"}) {
        const std::string answer = ask(std::string("GET ") + target + tail);
        EXPECT_EQ(statusOf(answer), "404") << target << " -> " << answer.substr(0, 60);
        EXPECT_EQ(answer.find("<title>Padrelle"), std::string::npos) << target;
    }
    for (const char* path : {"/socketx", "/socket/x", "/SOCKET", "/socket/", "/%73ocket"}) {
        std::string head;
        openSocket(std::string("code=") + Code, head, "", nullptr, path);
        EXPECT_EQ(statusOf(head), "404") << path << " -> " << head;
    }
    std::string head;
    openSocket(std::string("code=") + Code, head);
    EXPECT_EQ(statusOf(head), "101") << head;
}

// Frames a browser never sends fail the connection with close code 1002.
TEST_F(RemoteLoopback, FramesABrowserNeverSendsFailTheConnection) {
    const std::string unmasked("\x82\x01\x05", 3);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"unmasked", unmasked},
        {"reserved bit 1", frame(0x2, PadDown, 0xC2)},
        {"reserved bit 3", frame(0x2, PadDown, 0x92)},
        {"a ping of 126 bytes", frame(0x9, std::string(126, 'p'))},
        {"a fragmented ping", frame(0x9, "p", 0x09)},
        {"opcode 3", frame(0x3, "x")},
        {"opcode 11", frame(0xB, "x")},
    };
    for (const auto& c : cases) {
        std::string head;
        const int fd = openSocket(std::string("code=") + Code, head);
        ASSERT_EQ(statusOf(head), "101") << head;
        sendAll(fd, c.bytes);
        const auto start = std::chrono::steady_clock::now();
        const std::string rest = readToEnd(fd);
        EXPECT_NE(rest.find(std::string("\x88\x02\x03\xea", 4)), std::string::npos)
            << c.what << ": " << rest.size() << " bytes";
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900))
            << c.what;
    }
}

// A connection that stops speaking, between frames or inside one, is cut
// after the silence bound, and its worker is free again.
TEST_F(RemoteLoopback, ASilentConnectionIsCutWhereverItStopped) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"between frames", ""},
        {"inside a frame's header", std::string("\x82", 1)},
        {"inside a long frame", frame(0x2, std::string(200, 'x')).substr(0, 20)},
    };
    for (const auto& c : cases) {
        std::string head;
        const int fd = openSocket(std::string("code=") + Code, head);
        ASSERT_EQ(statusOf(head), "101") << head;
        if (!c.bytes.empty()) {
            sendAll(fd, c.bytes);
        }
        const auto start = std::chrono::steady_clock::now();
        readToEnd(fd);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, std::chrono::milliseconds(800)) << c.what;
        EXPECT_LT(took, std::chrono::milliseconds(2500)) << c.what;
    }
}

// Other devices on the network that connect and say nothing, say it a byte
// a second, or keep reconnecting: the phone's handshake is answered within
// 2 s all the same, and a finger it holds comes up within 1 s of its
// connection dropping. The figures are printed.
TEST_F(RemoteLoopback, ThePhoneGetsInWhateverElseConnects) {
    struct Attack {
        const char* what;
        int connections;
        bool byteASecond;
        bool renew;
        bool flood;  // wrong codes from 40 addresses, each as soon as the last is answered
        bool spread; // each connection from an address of its own
    };
    const Attack attacks[] = {
        {"300 idle connections", 300, false, false, false, false},
        {"300 idle connections from 300 addresses", 300, false, false, false, true},
        {"50 sending a byte a second", 50, true, false, false, false},
        {"40 idle ones renewed as they drop", 40, false, true, false, false},
        {"40 addresses flooding wrong codes", 0, false, false, true, false},
    };
    const char* const from[] = {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"};
    for (const Attack& attack : attacks) {
        std::atomic<bool> stop{false};
        std::vector<int> fds;
        const auto open = [&](int i) {
            const int fd = socket(AF_INET, SOCK_STREAM, 0);
            // 127.0.4.1 on: other devices of the phone's own network.
            const std::string own =
                "127.0." + std::to_string(4 + (i + 1) / 256) + "." + std::to_string((i + 1) % 256);
            connectFrom(fd, port, attack.spread ? own.c_str() : from[i % 4]);
            return fd;
        };
        for (int i = 0; i < attack.connections; ++i) {
            fds.push_back(open(i));
        }
        std::atomic<int> wrongCodes{0};
        const auto attackStarted = std::chrono::steady_clock::now();
        std::thread attacker([&] {
            auto nextByte = std::chrono::steady_clock::now();
            const std::string wrongTry =
                "GET /socket?code=000000000000 HTTP/1.1\r\nHost: " + host + "\r\nOrigin: http://" +
                host +
                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
            for (int i = 0; attack.flood && !stop; i = (i + 1) % 40) {
                const int fd = socket(AF_INET, SOCK_STREAM, 0);
                char answer[16] = {};
                if (connectFrom(fd, port, ("127.0.1." + std::to_string(i + 1)).c_str()) &&
                    send(fd, wrongTry.data(), wrongTry.size(), MSG_NOSIGNAL) > 0 &&
                    recv(fd, answer, sizeof answer - 1, MSG_WAITALL) > 0) {
                    const std::string status = statusOf(answer);
                    wrongCodes += status == "403" || status == "429" ? 1 : 0;
                }
                close(fd);
            }
            while (!stop) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                if (attack.byteASecond && std::chrono::steady_clock::now() >= nextByte) {
                    nextByte += std::chrono::seconds(1);
                    for (int fd : fds) {
                        send(fd, "G", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
                    }
                }
                if (attack.renew) {
                    for (size_t i = 0; i < fds.size(); ++i) {
                        char c = 0;
                        const ssize_t got = recv(fds[i], &c, 1, MSG_DONTWAIT);
                        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
                            close(fds[i]);
                            fds[i] = open(static_cast<int>(i));
                        }
                    }
                }
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const auto start = std::chrono::steady_clock::now();
        std::string head;
        const int phone = openSocket(std::string("code=") + Code, head, "", "127.0.0.9");
        const auto answered = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(statusOf(head), "101") << attack.what << ": " << head;
        EXPECT_LT(answered, std::chrono::seconds(2)) << attack.what;
        // A finger held by the phone, then its connection gone.
        clearStrokes();
        sendAll(phone, frame(0x2, PadDown));
        EXPECT_TRUE(passUntil({"make 0x2C"})) << attack.what;
        shutdown(phone, SHUT_RDWR);
        const auto dropped = std::chrono::steady_clock::now();
        EXPECT_TRUE(passUntil({"make 0x2C", "break 0x2C"})) << attack.what;
        const auto lifted = std::chrono::steady_clock::now() - dropped;
        EXPECT_LT(lifted, std::chrono::seconds(1)) << attack.what;
        stop = true;
        attacker.join();
        const double attackSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - attackStarted).count();
        std::printf("admission under attack, %s: the phone's handshake answered in %.0f ms, "
                    "its finger up %.0f ms after its connection dropped%s\n",
                    attack.what, std::chrono::duration<double, std::milli>(answered).count(),
                    std::chrono::duration<double, std::milli>(lifted).count(),
                    attack.flood
                        ? (" (" + std::to_string(wrongCodes.load()) + " wrong codes answered, " +
                           std::to_string(static_cast<int>(wrongCodes / attackSeconds)) +
                           " a second)")
                              .c_str()
                        : "");
        EXPECT_TRUE(!attack.flood || wrongCodes > 100) << "the flood was not one";
        for (int fd : fds) {
            close(fd);
        }
    }
}

// A phone on flaky Wi-Fi reconnects again and again and its old connections
// never close: each new one is let in at once, the latest holds the
// controller.
TEST_F(RemoteLoopback, APhoneReconnectingTenTimesGetsInEachTime) {
    for (int i = 0; i < 10; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::string head;
        openSocket(std::string("code=") + Code, head, "", "127.0.0.9");
        EXPECT_EQ(statusOf(head), "101") << i << ": " << head;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500)) << i;
    }
}

// A port another program holds: the server cannot start, and says why.
TEST_F(RemoteLoopback, AServerThatCannotStartSaysWhy) {
    resetRemote();
    const int holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    const int reuse = 1;
    setsockopt(holder, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    EXPECT_FALSE(startRemote(Code, "layout 1\nname default\n", port));
    EXPECT_EQ(remoteStatus().state, RemoteState::Failed);
    EXPECT_NE(std::string(remoteStatus().problem)
                  .find("the remote controller cannot start: port " + std::to_string(port)),
              std::string::npos)
        << remoteStatus().problem;
    // The server library that could not start is let go of again: nothing
    // of it stays set up.
    EXPECT_EQ(mg_exit_library(), 0u);
    close(holder);
    // Free again: it starts, and once stopped nothing of the library stays.
    EXPECT_TRUE(startRemote(Code, "layout 1\nname default\n", port)) << remoteStatus().problem;
    stopRemote();
    EXPECT_EQ(mg_exit_library(), 0u);
}

// A finger on the phone is a key until the connection drops, on a
// connection whose id wrapped past 0 (which stands for none) as on any other.
TEST_F(RemoteLoopback, AFingerIsAKeyUntilTheConnectionDropsAfterTheIdsWrap) {
    setLastConnectionId(0xFFFFFFFFu);
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

} // namespace
