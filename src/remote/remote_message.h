// The messages between the controller page on a phone and the program: small
// binary WebSocket messages, little-endian.
//
// From the page:
//   touch        0x01, then 1 to 10 records of 6 bytes: kind (1 down, 2 move,
//                3 up), finger (the page's number for it), x, y (int16: the
//                controller's logical screen; off it is on no control)
//   timed touch  0x04, the time the browser stamped on the touch event
//                (uint32 microseconds of the page's clock, wrapping), then
//                the records as in a touch
//   ping         0x02, token (uint32), the last round trip in ms (uint16,
//                0xFFFF unknown): the page's heartbeat
//   timed ping   0x05, token, the last round trip as in a ping, when the page
//                sent it (uint32 us), and of the last pong that came back
//                its token (0: none yet) and when it came (uint32 us)
//   let go       0x03: every finger of the page is up (it is hidden or leaves)
// A page of before the timed forms sends touches and pings: its touches are
// filed as they come.
// To the page:
//   pong     0x82, the ping's token
//   and text messages: "layout\n" and the layout file of the controller,
//   "taken" when another page takes the controller over, "timing\n" and how
//   its touches are timed (remote_link.h).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint8_t RemoteTouchMessage = 0x01;
constexpr uint8_t RemotePingMessage = 0x02;
constexpr uint8_t RemoteLetGoMessage = 0x03;
constexpr uint8_t RemoteTimedTouchMessage = 0x04;
constexpr uint8_t RemoteTimedPingMessage = 0x05;
constexpr uint8_t RemotePongMessage = 0x82;

constexpr uint8_t RemoteFingerDown = 1;
constexpr uint8_t RemoteFingerMove = 2;
constexpr uint8_t RemoteFingerUp = 3;

constexpr int32_t RemoteRecordsMax = 10;
constexpr size_t RemoteRecordSize = 6;
constexpr size_t RemoteTouchTimeSize = 4;
constexpr size_t RemoteMessageMax = 1 + RemoteTouchTimeSize + RemoteRecordsMax * RemoteRecordSize;
constexpr size_t RemotePingSize = 7;
constexpr size_t RemoteTimedPingSize = 19;
constexpr size_t RemotePongSize = 5;
constexpr uint16_t RemoteRoundTripUnknown = 0xFFFF;

struct RemoteRecord {
    uint8_t kind;
    uint8_t finger;
    int16_t x;
    int16_t y;
};

struct RemoteMessage {
    uint8_t type;
    int32_t recordCount;
    RemoteRecord records[RemoteRecordsMax];
    // A timed touch's or a timed ping's: the page's clock, microseconds.
    bool timed;
    uint32_t pageUs;
    uint32_t token;
    uint16_t roundTripMs;
    // A timed ping's: the last pong that came back (token 0: none).
    uint32_t answeredToken;
    uint32_t answeredPageUs;
};

// False for anything that is not one whole message of the forms above.
bool decodeRemoteMessage(const uint8_t* data, size_t size, RemoteMessage& message);
// The pong to a ping's token; RemotePongSize bytes.
void encodeRemotePong(uint32_t token, uint8_t* out);
