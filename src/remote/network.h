// The network seam of the remote controller: a server on the local network
// that serves one page and one WebSocket, and two questions to the system.
// On Windows and in the native tests it is the real server on real sockets;
// tests of the rules above it fill the table with their own.
#pragma once

#include <cstddef>
#include <cstdint>

// A WebSocket connection of the server; 0 is none.
using ConnectionId = uint32_t;

// What the opening request of a WebSocket says: the text of each, "" when
// it is missing.
struct SocketRequest {
    const char* peer; // the client's address
    const char* host;
    const char* origin;
    const char* query; // after the "?" of the request's target
};

enum class Admission : int32_t {
    Admit,
    Refuse,    // 403: a wrong code, host or origin
    Throttled, // 429: too many wrong codes from that address of late
};

// Called on the server's own threads.
struct ServerHandlers {
    Admission (*admit)(const SocketRequest& request);
    void (*opened)(ConnectionId connection);
    // A whole message; false closes the connection.
    bool (*received)(ConnectionId connection, const uint8_t* data, size_t size, bool binary);
    void (*closed)(ConnectionId connection);
};

struct ServerSettings {
    uint16_t port;
    const char* page; // served at "/", and nothing else is
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
    // This computer's IPv4 address on its local network, as text; false
    // when it has none.
    bool (*localAddress)(char* out, size_t size);
    // Bytes from the system's cryptographic random source.
    bool (*randomBytes)(uint8_t* out, size_t size);
};

extern Network network;

// The real server, where the program runs.
extern const Network SystemNetwork;
