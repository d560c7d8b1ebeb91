#include "remote/remote_message.h"

namespace {

uint16_t read16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t read32(const uint8_t* at) {
    return static_cast<uint32_t>(read16(at)) | (static_cast<uint32_t>(read16(at + 2)) << 16);
}

// The records after a message's head of that many bytes.
bool decodeRecords(const uint8_t* data, size_t size, size_t head, RemoteMessage& message) {
    const size_t body = size - head;
    if (size <= head || body % RemoteRecordSize != 0 ||
        body / RemoteRecordSize > static_cast<size_t>(RemoteRecordsMax)) {
        return false;
    }
    message.recordCount = static_cast<int32_t>(body / RemoteRecordSize);
    for (int32_t i = 0; i < message.recordCount; ++i) {
        const uint8_t* at = data + head + static_cast<size_t>(i) * RemoteRecordSize;
        RemoteRecord& record = message.records[i];
        record.kind = at[0];
        if (record.kind < RemoteFingerDown || record.kind > RemoteFingerUp) {
            return false;
        }
        record.finger = at[1];
        record.x = static_cast<int16_t>(read16(at + 2));
        record.y = static_cast<int16_t>(read16(at + 4));
    }
    return true;
}

bool decodeBody(const uint8_t* data, size_t size, RemoteMessage& message) {
    switch (message.type) {
    case RemoteTouchMessage:
        return decodeRecords(data, size, 1, message);
    case RemoteTimedTouchMessage:
        message.timed = true;
        message.pageUs = size >= 1 + RemoteTouchTimeSize ? read32(data + 1) : 0;
        return decodeRecords(data, size, 1 + RemoteTouchTimeSize, message);
    case RemotePingMessage:
    case RemoteTimedPingMessage:
        if (size != (message.type == RemotePingMessage ? RemotePingSize : RemoteTimedPingSize)) {
            return false;
        }
        message.token = read32(data + 1);
        message.roundTripMs = read16(data + 5);
        if (message.type == RemoteTimedPingMessage) {
            message.timed = true;
            message.pageUs = read32(data + 7);
            message.answeredToken = read32(data + 11);
            message.answeredPageUs = read32(data + 15);
        }
        return true;
    case RemoteLetGoMessage:
        return size == 1;
    default:
        return false;
    }
}

} // namespace

bool decodeRemoteMessage(const uint8_t* data, size_t size, RemoteMessage& message) {
    message = RemoteMessage{};
    if (data == nullptr || size == 0) {
        return false;
    }
    message.type = data[0];
    if (!decodeBody(data, size, message)) {
        message = RemoteMessage{};
        return false;
    }
    return true;
}

void encodeRemotePong(uint32_t token, uint8_t* out) {
    out[0] = RemotePongMessage;
    for (int i = 0; i < 4; ++i) {
        out[1 + i] = static_cast<uint8_t>(token >> (8 * i));
    }
}
