// padrelle-socket-wait-check.exe: the web server's socket wait
// (src/remote/socket_wait_win32.cpp) against real Winsock sockets on
// loopback, run by the end-to-end test under Wine. Prints one line per case
// and exits with 1 when any fails.
#include "remote/socket_wait.h"

#include <winsock2.h>

#include <cstdio>
#include <thread>

namespace {

int failures = 0;

bool check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    failures += ok ? 0 : 1;
    return ok;
}

struct Pair {
    SOCKET listener = INVALID_SOCKET;
    SOCKET client = INVALID_SOCKET;
    SOCKET server = INVALID_SOCKET;
};

// A listening socket on a loopback port of the system's choice, a client
// connected to it and the server's end, non-blocking as the server's are.
bool connectPair(Pair& pair) {
    pair.listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (pair.listener == INVALID_SOCKET ||
        bind(pair.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(pair.listener, 4) != 0 ||
        getsockname(pair.listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return false;
    }
    pair.client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (pair.client == INVALID_SOCKET ||
        connect(pair.client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return false;
    }
    pair.server = accept(pair.listener, nullptr, nullptr);
    u_long nonBlocking = 1;
    return pair.server != INVALID_SOCKET && ioctlsocket(pair.server, FIONBIO, &nonBlocking) == 0;
}

void closePair(Pair& pair) {
    for (SOCKET socket : {pair.listener, pair.client, pair.server}) {
        if (socket != INVALID_SOCKET) {
            closesocket(socket);
        }
    }
}

int waitFor(SOCKET socket, short events, int timeoutMs, short& revents) {
    WSAPOLLFD entry = {socket, events, 0};
    const int result = socketWait(&entry, 1, timeoutMs);
    revents = entry.revents;
    return result;
}

uint64_t nowMs() {
    return GetTickCount64();
}

void dataIsSeenAndLeftForTheRead(Pair& pair) {
    short revents = 0;
    const uint64_t start = nowMs();
    check(waitFor(pair.server, POLLIN | POLLERR, 100, revents) == 0 && revents == 0 &&
              nowMs() - start >= 80,
          "a silent connection: the wait ends when its time is up, with nothing");
    send(pair.client, "abc", 3, 0);
    check(waitFor(pair.server, POLLIN | POLLERR, 2000, revents) == 1 && revents == POLLIN,
          "data that came during a wait that was called off earlier is seen");
    char bytes[8] = {};
    check(recv(pair.server, bytes, sizeof bytes, 0) == 3 && bytes[0] == 'a' && bytes[2] == 'c',
          "the wait takes none of the data: the read gets all of it");
    std::thread late([&pair] {
        Sleep(100);
        send(pair.client, "d", 1, 0);
    });
    const uint64_t before = nowMs();
    const int result = waitFor(pair.server, POLLIN, 5000, revents);
    late.join();
    check(result == 1 && revents == POLLIN && nowMs() - before < 2000,
          "data that comes while the wait is on ends it at once");
    check(recv(pair.server, bytes, sizeof bytes, 0) == 1 && bytes[0] == 'd', "and is read whole");
    check(waitFor(pair.server, POLLOUT, 100, revents) == 1 && revents == POLLOUT,
          "room to write is select()'s");
    closesocket(pair.client);
    pair.client = INVALID_SOCKET;
    check(waitFor(pair.server, POLLIN | POLLERR, 2000, revents) == 1 && revents == POLLIN &&
              recv(pair.server, bytes, sizeof bytes, 0) == 0,
          "the other end closed: the wait ends and the read says so");
}

void aResetEndsTheWait(Pair& pair) {
    linger abort = {1, 0};
    setsockopt(pair.client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
               sizeof abort);
    std::thread reset([&pair] {
        Sleep(100);
        closesocket(pair.client);
    });
    short revents = 0;
    const int result = waitFor(pair.server, POLLIN | POLLERR, 5000, revents);
    reset.join();
    pair.client = INVALID_SOCKET;
    char byte = 0;
    check(result == 1 && revents != 0 && recv(pair.server, &byte, 1, 0) <= 0,
          "a connection reset while the wait is on ends it, and the read fails");
}

void otherWaitsAreSelects(Pair& pair) {
    short revents = 0;
    check(waitFor(pair.listener, POLLIN | POLLERR, 100, revents) == 0 && revents == 0,
          "a listening socket with no one calling: nothing");
    SOCKET caller = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    int size = sizeof address;
    getsockname(pair.listener, reinterpret_cast<sockaddr*>(&address), &size);
    connect(caller, reinterpret_cast<sockaddr*>(&address), sizeof address);
    check(waitFor(pair.listener, POLLIN | POLLERR, 2000, revents) == 1 && revents == POLLIN,
          "a listening socket with a call waiting: readable");
    send(pair.client, "x", 1, 0);
    WSAPOLLFD both[2] = {{pair.listener, POLLIN, 0}, {pair.server, POLLIN, 0}};
    check(socketWait(both, 2, 2000) == 2 && both[0].revents == POLLIN && both[1].revents == POLLIN,
          "two sockets: each one's readiness");
    closesocket(caller);
}

// Under some layered providers (VPN and filter software) CancelIoEx fails:
// the wait's receive is left pending, and the connection goes on whole.
void aReceiveThatCannotBeCalledOffKeepsTheConnection(Pair& pair) {
    socketWaitFailCancels(1);
    short revents = 0;
    check(waitFor(pair.server, POLLIN | POLLERR, 100, revents) == 0 && revents == 0,
          "a wait that cannot call its receive off still ends when its time is up");
    check(waitFor(pair.server, POLLIN | POLLERR, 100, revents) == 0 && revents == 0,
          "and the next wait waits on the receive left pending");
    send(pair.client, "efg", 3, 0);
    check(waitFor(pair.server, POLLIN | POLLERR, 2000, revents) == 1 && revents == POLLIN,
          "data then ends the wait");
    char bytes[8] = {};
    check(recv(pair.server, bytes, sizeof bytes, 0) == 3 && bytes[0] == 'e' && bytes[2] == 'g',
          "and is read whole: the connection was not ended");
    send(pair.server, "h", 1, 0);
    check(recv(pair.client, bytes, sizeof bytes, 0) == 1 && bytes[0] == 'h',
          "the connection still carries both ways");
    socketWaitFailCancels(0);
}

} // namespace

int main() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        std::printf("FAILED: WSAStartup\n");
        return 1;
    }
    for (void (*run)(Pair&) : {dataIsSeenAndLeftForTheRead, aResetEndsTheWait, otherWaitsAreSelects,
                               aReceiveThatCannotBeCalledOffKeepsTheConnection}) {
        Pair pair;
        if (check(connectPair(pair), "a loopback connection")) {
            run(pair);
        }
        closePair(pair);
    }
    WSACleanup();
    return failures == 0 ? 0 : 1;
}
