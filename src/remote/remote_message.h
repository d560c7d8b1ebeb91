// The messages between the controller page on a phone and the program: small
// binary WebSocket messages, little-endian.
//
// From the page:
//   touch    0x01, then 1 to 10 records of 6 bytes: kind (1 down, 2 move,
//            3 up), finger (the page's number for it), x, y (int16: the
//            controller's logical screen; off it is on no control)
//   ping     0x02, token (uint32), the last round trip in ms (uint16,
//            0xFFFF unknown): the page's heartbeat
//   let go   0x03: every finger of the page is up (it is hidden or leaves)
// To the page:
//   pong     0x82, the ping's token
//   and text messages: "layout\n" and the layout file of the controller,
//   "taken" when another page takes the controller over.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint8_t RemoteTouchMessage = 0x01;
constexpr uint8_t RemotePingMessage = 0x02;
constexpr uint8_t RemoteLetGoMessage = 0x03;
constexpr uint8_t RemotePongMessage = 0x82;

constexpr uint8_t RemoteFingerDown = 1;
constexpr uint8_t RemoteFingerMove = 2;
constexpr uint8_t RemoteFingerUp = 3;

constexpr int32_t RemoteRecordsMax = 10;
constexpr size_t RemoteRecordSize = 6;
constexpr size_t RemoteMessageMax = 1 + RemoteRecordsMax * RemoteRecordSize;
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
    uint32_t token;
    uint16_t roundTripMs;
};

// False for anything that is not one whole message of the forms above.
bool decodeRemoteMessage(const uint8_t* data, size_t size, RemoteMessage& message);
// The pong to a ping's token; RemotePongSize bytes.
void encodeRemotePong(uint32_t token, uint8_t* out);
