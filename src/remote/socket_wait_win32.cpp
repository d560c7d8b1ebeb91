// The web server's waits on its sockets on Windows.
//
// The server waits for a socket's data before each recv. A wait for one
// socket's data is an overlapped receive of zero bytes (the zero-byte
// receive of Winsock's servers): it completes when data or the end of the
// connection is there and takes nothing, so the data stays for the recv that
// follows. Every other wait (a listening socket, room to write, several
// sockets) is select(). A receive that cannot be called off when the wait
// times out (a layered provider that fails CancelIoEx) is left pending and
// waited on again by the next wait: the connection is never ended for it.
//
// Why not select() for all: under Wine, a select() or WSAPoll() that has
// seen data leaves the Wine server polling the socket until the data is
// read, and that loop can hold the CPU the woken thread waits for, by
// milliseconds on a busy two-core machine; a pending receive ends without
// it. On Windows the two cost the same.
#include "remote/socket_wait.h"

// The server's master thread waits on its listening socket and on every
// connection that has sent nothing yet (up to 512 of them) at once.
#define FD_SETSIZE 1024
#include <winsock2.h>

namespace {

int selectWait(WSAPOLLFD* sockets, unsigned long count, int timeoutMs) {
    fd_set readable, writable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    if (count > FD_SETSIZE) {
        WSASetLastError(WSAEINVAL);
        return -1;
    }
    for (unsigned long i = 0; i < count; ++i) {
        sockets[i].revents = 0;
        if ((sockets[i].events & POLLIN) != 0) {
            FD_SET(sockets[i].fd, &readable);
        }
        if ((sockets[i].events & POLLOUT) != 0) {
            FD_SET(sockets[i].fd, &writable);
        }
        FD_SET(sockets[i].fd, &failed);
    }
    timeval limit = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int result = select(0, &readable, &writable, &failed, timeoutMs < 0 ? nullptr : &limit);
    if (result <= 0) {
        return result;
    }
    int ready = 0;
    for (unsigned long i = 0; i < count; ++i) {
        const SOCKET socket = sockets[i].fd;
        sockets[i].revents = static_cast<SHORT>((FD_ISSET(socket, &readable) ? POLLIN : 0) |
                                                (FD_ISSET(socket, &writable) ? POLLOUT : 0) |
                                                (FD_ISSET(socket, &failed) ? POLLERR : 0));
        ready += sockets[i].revents != 0 ? 1 : 0;
    }
    return ready;
}

enum class Peek { Ready, TimedOut, Failed, NotStarted };

// Each server thread keeps the event and the record of its waits: making
// and closing an event for every wait would put a call to the Wine server
// between the data and its read, and a receive that could not be called off
// keeps its record until it completes. The record is on the heap: a thread
// that ends while such a receive is still pending leaves it there (with its
// event) for the system to complete into, instead of freeing it under it.
struct WaitState {
    WSAEVENT event = WSACreateEvent();
    WSAOVERLAPPED overlapped = {};
    SOCKET pendingOn = INVALID_SOCKET;
};

struct ThreadWaits {
    WaitState* state = new WaitState();
    ~ThreadWaits() {
        if (state->pendingOn != INVALID_SOCKET) {
            return; // the system may still write into it: kept for good
        }
        if (state->event != WSA_INVALID_EVENT) {
            WSACloseEvent(state->event);
        }
        delete state;
    }
};
thread_local ThreadWaits threadWaits;

WaitState& waitState() {
    return *threadWaits.state;
}

// For the check program: CancelIoEx fails, as under some layered providers.
bool cancelsFail = false;

bool cancel(SOCKET socket, WSAOVERLAPPED* overlapped) {
    if (cancelsFail) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return false;
    }
    return CancelIoEx(reinterpret_cast<HANDLE>(socket), overlapped) ||
           GetLastError() == ERROR_NOT_FOUND;
}

Peek finish(SOCKET socket) {
    DWORD got = 0;
    DWORD flags = 0;
    waitState().pendingOn = INVALID_SOCKET;
    if (WSAGetOverlappedResult(socket, &waitState().overlapped, &got, TRUE, &flags)) {
        return Peek::Ready;
    }
    return WSAGetLastError() == WSA_OPERATION_ABORTED ? Peek::TimedOut : Peek::Failed;
}

// Waits for the receive under way; on time out it is called off, or, where
// that fails, left for the next wait.
Peek awaitReceive(SOCKET socket, int timeoutMs) {
    const DWORD waited = WSAWaitForMultipleEvents(1, &waitState().event, FALSE,
                                                  timeoutMs < 0 ? WSA_INFINITE : timeoutMs, FALSE);
    if (waited == WSA_WAIT_EVENT_0) {
        return finish(socket);
    }
    if (!cancel(socket, &waitState().overlapped)) {
        waitState().pendingOn = socket;
        return Peek::TimedOut;
    }
    return finish(socket);
}

// Waits for one connected socket's data by a receive of zero bytes.
Peek peekWait(SOCKET socket, int timeoutMs) {
    if (waitState().event == WSA_INVALID_EVENT) {
        return Peek::NotStarted;
    }
    if (waitState().pendingOn == socket) {
        return awaitReceive(socket, timeoutMs); // the receive left pending
    }
    if (waitState().pendingOn != INVALID_SOCKET) {
        // Left pending on a socket since closed: it completes with the close.
        if (WSAWaitForMultipleEvents(1, &waitState().event, FALSE, 1000, FALSE) !=
            WSA_WAIT_EVENT_0) {
            return Peek::NotStarted; // still pending: this wait is a select
        }
        finish(waitState().pendingOn);
    }
    // The receive resets its event as it starts (as every overlapped
    // operation's does), so no reset of its own is asked for.
    waitState().overlapped = WSAOVERLAPPED{};
    waitState().overlapped.hEvent = waitState().event;
    WSABUF buffer = {0, nullptr};
    DWORD flags = 0;
    if (WSARecv(socket, &buffer, 1, nullptr, &flags, &waitState().overlapped, nullptr) == 0) {
        DWORD got = 0;
        WSAGetOverlappedResult(socket, &waitState().overlapped, &got, TRUE, &flags);
        return Peek::Ready;
    }
    if (WSAGetLastError() != WSA_IO_PENDING) {
        return Peek::NotStarted; // a socket that has failed already: select() tells
    }
    return awaitReceive(socket, timeoutMs);
}

// Whether a socket listens for connections: those have no data to peek at
// (Windows refuses the receive at once, Wine keeps it pending).
bool listens(SOCKET socket) {
    BOOL listening = FALSE;
    int size = sizeof listening;
    return getsockopt(socket, SOL_SOCKET, SO_ACCEPTCONN, reinterpret_cast<char*>(&listening),
                      &size) != 0 ||
           listening;
}

} // namespace

extern "C" void socketWaitFailCancels(int fail) {
    cancelsFail = fail != 0;
}

extern "C" int socketWait(WSAPOLLFD* sockets, unsigned long count, int timeoutMs) {
    if (count == 1 && (sockets[0].events & POLLOUT) == 0 && (sockets[0].events & POLLIN) != 0 &&
        !listens(sockets[0].fd)) {
        switch (peekWait(sockets[0].fd, timeoutMs)) {
        case Peek::Ready:
            sockets[0].revents = POLLIN;
            return 1;
        case Peek::TimedOut:
            sockets[0].revents = 0;
            return 0;
        case Peek::Failed:
            sockets[0].revents = POLLERR;
            return 1;
        case Peek::NotStarted:
            break;
        }
    }
    return selectWait(sockets, count, timeoutMs);
}
