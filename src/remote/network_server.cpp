#include "base/format_text.h"
#include "remote/network.h"
#include "remote/network_host.h"

#include <civetweb.h>

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

constexpr const char* ServerWorkers = "32";
// A phone needs a few (the page, its socket, sockets of reloads that are not
// yet cut for their silence).
constexpr int32_t ConnectionsPerAddress = 16;
constexpr const char* PagePath = "/";
constexpr const char* SocketPath = "/socket";
constexpr const char* CheckPath = "/check";

struct Server {
    mg_context* context = nullptr;
    ServerSettings settings = {};
    std::mutex lock; // the connections; held while a message goes out
    std::unordered_map<ConnectionId, mg_connection*> connections;
    ConnectionId lastId = 0;
};

Server server;

// Connections open from each address: a few devices that open many cannot
// take every worker from the phone. Counted from the accept to the close.
struct AddressCounts {
    std::mutex lock;
    std::unordered_map<std::string, int32_t> open;
};

AddressCounts addressCounts;

// An IPv4 socket address as text; "" for any other. The layout of
// sockaddr_in (family, port, address) is the same on every system the
// program is built for, and AF_INET is 2 on each.
std::string addressText(const sockaddr* address) {
    struct Ipv4 {
        uint16_t family;
        uint16_t port;
        uint8_t bytes[4];
    };
    Ipv4 ipv4 = {};
    if (address == nullptr) {
        return "";
    }
    std::memcpy(&ipv4, address, sizeof ipv4);
    if (ipv4.family != 2) {
        return "";
    }
    char text[16];
    formatText(text, "%u.%u.%u.%u", ipv4.bytes[0], ipv4.bytes[1], ipv4.bytes[2], ipv4.bytes[3]);
    return text;
}

int filterConnection(const sockaddr* address, int opening) {
    const std::string peer = addressText(address);
    std::lock_guard<std::mutex> hold(addressCounts.lock);
    int32_t& open = addressCounts.open[peer];
    if (opening == 0) {
        open = open > 0 ? open - 1 : 0;
        if (open == 0) {
            addressCounts.open.erase(peer);
        }
        return 1;
    }
    if (open >= ConnectionsPerAddress) {
        if (open == 0) {
            addressCounts.open.erase(peer);
        }
        return 0;
    }
    ++open;
    return 1;
}

ConnectionId idOf(const mg_connection* connection) {
    return static_cast<ConnectionId>(
        reinterpret_cast<uintptr_t>(mg_get_user_connection_data(connection)));
}

// The request's path exactly as it was sent: no decoding (the server is
// told not to), no dot segments taken out. "/%2e%2e/", "/../" and "/%00" are
// not "/", and "/socketx" or "/SOCKET" not "/socket".
bool pathIs(const mg_request_info* request, const char* path) {
    return request->local_uri_raw != nullptr && std::strcmp(request->local_uri_raw, path) == 0;
}

// A whole answer written as it goes out, status line first: every refusal
// (of the page's requests and of a socket's handshake, where the server has
// not begun an answer of its own) says what it is in HTTP, and ends the
// connection.
int answer(mg_connection* connection, int status, const char* text, const char* extra = "") {
    const char* reason = status == 204   ? "No Content"
                         : status == 403 ? "Forbidden"
                         : status == 404 ? "Not Found"
                         : status == 405 ? "Method Not Allowed"
                         : status == 429 ? "Too Many Requests"
                                         : "Bad Request";
    char head[512];
    formatText(head,
               "HTTP/1.1 %d %s\r\n%sContent-Type: text/plain; charset=utf-8\r\n"
               "Content-Length: %u\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n",
               status, reason, extra, static_cast<unsigned>(std::strlen(text)));
    mg_write(connection, head, std::strlen(head));
    // The answer to a HEAD has the head alone.
    const char* method = mg_get_request_info(connection)->request_method;
    if (method == nullptr || std::strcmp(method, "HEAD") != 0) {
        mg_write(connection, text, std::strlen(text));
    }
    return status;
}

int notFound(mg_connection* connection) {
    return answer(connection, 404, "Not found\n");
}

const char* headerOf(const mg_connection* connection, const char* name) {
    const char* value = mg_get_header(connection, name);
    return value != nullptr ? value : "";
}

// The gate's word on a request that gives a code: the socket's handshake or
// the page's check. Throttled also says how long to wait.
Admission askTheGate(mg_connection* connection, bool socket, uint32_t* waitMs) {
    const mg_request_info* request = mg_get_request_info(connection);
    SocketRequest asked = {request->remote_addr, headerOf(connection, "Host"),
                           headerOf(connection, "Origin"),
                           request->query_string != nullptr ? request->query_string : ""};
    asked.originOptional = !socket;
    return server.settings.handlers.admit(asked, waitMs);
}

// A refusal of the gate as its answer; 0 for Admit.
int refuse(mg_connection* connection, Admission admission, uint32_t waitMs) {
    switch (admission) {
    case Admission::Admit:
        return 0;
    case Admission::Refuse:
        return answer(connection, 403, "wrong code\n");
    case Admission::Foreign:
        return answer(connection, 403, "not this page's address\n");
    case Admission::Throttled:
        break;
    }
    char retry[48];
    formatText(retry, "Retry-After: %u\r\n", static_cast<unsigned>((waitMs + 999) / 1000));
    return answer(connection, 429, "wrong codes wait\n", retry);
}

// Whether the socket would let the page in with its code, asked before the
// page opens it: a refused WebSocket tells a page nothing of why.
int serveCheck(mg_connection* connection) {
    uint32_t waitMs = 0;
    const Admission admission = askTheGate(connection, false, &waitMs);
    const int refused = refuse(connection, admission, waitMs);
    return refused != 0 ? refused : answer(connection, 204, "");
}

int servePage(mg_connection* connection, void*) {
    const mg_request_info* request = mg_get_request_info(connection);
    const bool head = std::strcmp(request->request_method, "HEAD") == 0;
    if (!head && std::strcmp(request->request_method, "GET") != 0) {
        return answer(connection, 405, "Only GET\n", "Allow: GET, HEAD\r\n");
    }
    if (!head && pathIs(request, CheckPath)) {
        return serveCheck(connection);
    }
    if (!pathIs(request, PagePath)) {
        return notFound(connection);
    }
    mg_response_header_start(connection, 200);
    mg_response_header_add(connection, "Content-Type", "text/html; charset=utf-8", -1);
    mg_response_header_add(connection, "Cache-Control", "no-store", -1);
    mg_response_header_add(connection, "X-Content-Type-Options", "nosniff", -1);
    mg_response_header_add(connection, "Referrer-Policy", "no-referrer", -1);
    mg_response_header_add(connection, "Content-Security-Policy",
                           "default-src 'none'; script-src 'unsafe-inline'; "
                           "style-src 'unsafe-inline'; connect-src 'self'; img-src data:",
                           -1);
    char length[24];
    formatText(length, "%zu", server.settings.pageSize);
    mg_response_header_add(connection, "Content-Length", length, -1);
    mg_response_header_send(connection);
    if (!head) {
        mg_write(connection, server.settings.page, server.settings.pageSize);
    }
    return 200;
}

int admitSocket(const mg_connection* constConnection, void*) {
    // The refusal is an answer on this very connection.
    auto* connection = const_cast<mg_connection*>(constConnection);
    const mg_request_info* request = mg_get_request_info(connection);
    if (!pathIs(request, SocketPath)) {
        notFound(connection);
        return 1;
    }
    // A WebSocket opens over HTTP/1.1 only, as every browser opens it.
    if (request->http_version == nullptr || std::strcmp(request->http_version, "1.1") != 0) {
        answer(connection, 400, "a WebSocket opens over HTTP/1.1\n");
        return 1;
    }
    uint32_t waitMs = 0;
    const Admission admission = askTheGate(connection, true, &waitMs);
    return refuse(connection, admission, waitMs) != 0 ? 1 : 0;
}

void socketReady(mg_connection* connection, void*) {
    ConnectionId id = 0;
    {
        std::lock_guard<std::mutex> hold(server.lock);
        id = ++server.lastId;
        if (id == 0) {
            id = ++server.lastId;
        }
        server.connections[id] = connection;
    }
    mg_set_user_connection_data(connection, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
    server.settings.handlers.opened(id);
}

int socketData(mg_connection* connection, int bits, char* data, size_t size, void*) {
    const int opcode = bits & 0x0F;
    if (opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE) {
        return 0;
    }
    if (opcode == MG_WEBSOCKET_OPCODE_PING || opcode == MG_WEBSOCKET_OPCODE_PONG) {
        return 1;
    }
    // Messages come whole: a fragment of one is refused.
    const bool final = (bits & 0x80) != 0;
    if (!final || (opcode != MG_WEBSOCKET_OPCODE_BINARY && opcode != MG_WEBSOCKET_OPCODE_TEXT)) {
        return 0;
    }
    return server.settings.handlers.received(idOf(connection),
                                             reinterpret_cast<const uint8_t*>(data), size,
                                             opcode == MG_WEBSOCKET_OPCODE_BINARY)
               ? 1
               : 0;
}

void socketClosed(const mg_connection* connection, void*) {
    const ConnectionId id = idOf(connection);
    if (id == 0) {
        return; // refused before it opened
    }
    {
        std::lock_guard<std::mutex> hold(server.lock);
        server.connections.erase(id);
    }
    server.settings.handlers.closed(id);
}

int quietLog(const mg_connection*, const char*) {
    return 1;
}

bool startServer(const ServerSettings& settings, char* error, size_t errorSize) {
    if (server.context != nullptr) {
        formatTextN(error, errorSize, "%s", "the server runs already");
        return false;
    }
    server.settings = settings;
    char port[8];
    formatText(port, "%u", static_cast<unsigned>(settings.port));
    // Workers for the phone, a page being loaded and a phone taking over,
    // with room to spare for whatever else on the network connects: a
    // connection that has not sent its request whole within a second (a
    // browser sends it in one packet) is cut, and so is one silent for a
    // second once it is a WebSocket, whether between frames or inside one.
    // Paths are taken as sent, not decoded. The system's queue of
    // connections not yet accepted is long: a burst of connections from
    // other devices must not fill it, or the phone's would wait for its
    // connect to be sent again (a second or more).
    const char* options[] = {"listening_ports",
                             port,
                             "num_threads",
                             ServerWorkers,
                             "listen_backlog",
                             "1024",
                             "connection_queue",
                             "64",
                             "max_request_size",
                             "4096",
                             "request_timeout_ms",
                             "1000",
                             "decode_url",
                             "no",
                             "enable_keep_alive",
                             "no",
                             "tcp_nodelay",
                             "1",
                             "websocket_timeout_ms",
                             "1000",
                             "enable_websocket_ping_pong",
                             "yes",
                             nullptr};
    mg_callbacks callbacks = {};
    callbacks.log_message = quietLog;
    mg_init_library(0);
    {
        std::lock_guard<std::mutex> hold(addressCounts.lock);
        addressCounts.open.clear();
    }
    mg_set_connection_filter(filterConnection);
    mg_init_data init = {&callbacks, nullptr, options};
    unsigned code = 0;
    char text[256] = {};
    mg_error_data failure = {&code, text, sizeof text};
    server.context = mg_start2(&init, &failure);
    if (server.context == nullptr) {
        formatTextN(error, errorSize, "port %s cannot be used (%s)", port,
                    text[0] != '\0' ? text : "no reason given");
        mg_exit_library();
        return false;
    }
    mg_set_request_handler(server.context, "/", servePage, nullptr);
    mg_set_websocket_handler(server.context, SocketPath, admitSocket, socketReady, socketData,
                             socketClosed, nullptr);
    return true;
}

void stopServer() {
    if (server.context == nullptr) {
        return;
    }
    mg_stop(server.context);
    server.context = nullptr;
    mg_exit_library();
    std::lock_guard<std::mutex> hold(server.lock);
    server.connections.clear();
}

bool sendMessage(ConnectionId id, const uint8_t* data, size_t size, bool text) {
    std::lock_guard<std::mutex> hold(server.lock);
    const auto found = server.connections.find(id);
    if (found == server.connections.end()) {
        return false;
    }
    const int opcode = text ? MG_WEBSOCKET_OPCODE_TEXT : MG_WEBSOCKET_OPCODE_BINARY;
    return mg_websocket_write(found->second, opcode, reinterpret_cast<const char*>(data), size) > 0;
}

void closeConnection(ConnectionId id) {
    std::lock_guard<std::mutex> hold(server.lock);
    const auto found = server.connections.find(id);
    if (found != server.connections.end()) {
        mg_websocket_write(found->second, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, "\x03\xe8", 2);
    }
}

} // namespace

void setLastConnectionId(ConnectionId id) {
    std::lock_guard<std::mutex> hold(server.lock);
    server.lastId = id;
}

const Network SystemNetwork = {
    .startServer = startServer,
    .stopServer = stopServer,
    .sendMessage = sendMessage,
    .closeConnection = closeConnection,
    .localAddresses = hostLocalAddresses,
    .randomBytes = hostRandomBytes,
    .reachProblems = hostReachProblems,
};

Network network = SystemNetwork;
