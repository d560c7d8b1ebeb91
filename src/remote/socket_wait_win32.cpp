// The web server's waits on its sockets on Windows.
//
// The server waits for a socket's data before each recv. A wait for one
// socket's data is an overlapped one-byte receive with MSG_PEEK: it ends
// when data or the end of the connection is there, and leaves the data for
// the recv that follows. Every other wait (a listening socket, room to
// write, several sockets) is select().
//
// Why not select() for all: under Wine, a select() or WSAPoll() that has
// seen data leaves the Wine server polling the socket until the data is
// read, and that loop can hold the CPU the woken thread waits for, by
// milliseconds on a busy two-core machine; a pending receive ends without
// it. On Windows the two cost the same.
#include "remote/socket_wait.h"

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

// Each server thread keeps the event of its waits: making and closing one
// for every wait would put a call to the Wine server between the data and
// its read.
struct WaitEvent {
    WSAEVENT handle = WSACreateEvent();
    ~WaitEvent() {
        if (handle != WSA_INVALID_EVENT) {
            WSACloseEvent(handle);
        }
    }
};
thread_local WaitEvent waitEvent;

// Waits for one connected socket's data by a receive that only peeks.
Peek peekWait(SOCKET socket, int timeoutMs) {
    WSAOVERLAPPED overlapped = {};
    overlapped.hEvent = waitEvent.handle;
    if (overlapped.hEvent == WSA_INVALID_EVENT || !WSAResetEvent(overlapped.hEvent)) {
        return Peek::NotStarted;
    }
    char byte = 0;
    WSABUF buffer = {1, &byte};
    DWORD flags = MSG_PEEK;
    Peek peek = Peek::Ready;
    if (WSARecv(socket, &buffer, 1, nullptr, &flags, &overlapped, nullptr) != 0) {
        if (WSAGetLastError() != WSA_IO_PENDING) {
            // A socket that has failed already: select() tells.
            return Peek::NotStarted;
        }
        const DWORD waited = WSAWaitForMultipleEvents(
            1, &overlapped.hEvent, FALSE, timeoutMs < 0 ? WSA_INFINITE : timeoutMs, FALSE);
        if (waited != WSA_WAIT_EVENT_0 &&
            !CancelIoEx(reinterpret_cast<HANDLE>(socket), &overlapped) &&
            GetLastError() != ERROR_NOT_FOUND) {
            // A receive that cannot be called off must still end before
            // its buffer goes: the connection ends with it.
            shutdown(socket, SD_BOTH);
        }
        DWORD got = 0;
        if (!WSAGetOverlappedResult(socket, &overlapped, &got, TRUE, &flags)) {
            peek = WSAGetLastError() == WSA_OPERATION_ABORTED ? Peek::TimedOut : Peek::Failed;
        }
    }
    return peek;
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
