// The network seam of the remote controller: a server on the local network
// that serves one page and one WebSocket, and two questions to the system.
// On Windows and in the native tests it is the real server on real sockets;
// tests of the rules above it fill the table with their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "remote/host_addresses.h"

// A WebSocket connection of the server; 0 is none.
using ConnectionId = uint32_t;

// What the opening request of a WebSocket says: the text of each, "" when
// it is missing.
struct SocketRequest {
    const char* peer; // the client's address
    const char* host;
    const char* origin;
    const char* query; // after the "?" of the request's target
    // The page's check before it opens the socket: a browser sends no
    // Origin with a request to the page's own address.
    bool originOptional = false;
};

enum class Admission : int32_t {
    Admit,
    Refuse,    // 403: a wrong code
    Throttled, // 429: a wrong code while wrong codes wait (Retry-After)
    Foreign,   // 403: another site's page, or a name this PC does not serve
};

// Called on the server's own threads.
struct ServerHandlers {
    // Throttled gives how long the wait is. Asked for the socket and for
    // the page's check before it.
    Admission (*admit)(const SocketRequest& request, uint32_t* retryAfterMs);
    void (*opened)(ConnectionId connection);
    // A whole message; false closes the connection.
    bool (*received)(ConnectionId connection, const uint8_t* data, size_t size, bool binary);
    void (*closed)(ConnectionId connection);
};

// What the server serves, each at exactly its path (anything else: 404):
// the page at "/", its socket at "/socket", and "/check", which answers
// whether the socket would take the code given as it would ("?code=..."):
// 204, 403 (with why), or 429 with Retry-After. Every refusal, of any
// request, is an HTTP answer with its status line.
struct ServerSettings {
    uint16_t port;
    const char* page;
    size_t pageSize;
    ServerHandlers handlers;
};

struct Network {
    // Listens on the port on every IPv4 interface; false with the reason.
    bool (*startServer)(const ServerSettings& settings, char* error, size_t errorSize);
    // Every connection closed; no handler runs once it returns.
    void (*stopServer)();
    // False when the connection is gone or the message cannot be sent.
    bool (*sendMessage)(ConnectionId connection, const uint8_t* data, size_t size, bool text);
    // Sends the close of the WebSocket; the connection ends with the client's
    // answer, or with its silence.
    void (*closeConnection)(ConnectionId connection);
    // This computer's IPv4 addresses (not the loopback), at most max of
    // them, in the system's order; how many.
    int32_t (*localAddresses)(HostAddress* out, int32_t max);
    // Bytes from the system's cryptographic random source.
    bool (*randomBytes)(uint8_t* out, size_t size);
    // What Windows knows that keeps a phone out of the server at the port
    // by that address of the PC's (network_reach.h bits). Slow: asked on a
    // thread of its own.
    uint32_t (*reachProblems)(const char* address, uint16_t port);
};

extern Network network;

// The real server, where the program runs.
extern const Network SystemNetwork;
// For tests: the real server's next connection gets the id after this one;
// ids wrap past 0, which stands for none.
void setLastConnectionId(ConnectionId id);
