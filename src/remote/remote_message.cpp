#include "remote/remote_message.h"

namespace {

uint16_t read16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t read32(const uint8_t* at) {
    return static_cast<uint32_t>(read16(at)) | (static_cast<uint32_t>(read16(at + 2)) << 16);
}

bool decodeTouch(const uint8_t* data, size_t size, RemoteMessage& message) {
    const size_t body = size - 1;
    if (body == 0 || body % RemoteRecordSize != 0 ||
        body / RemoteRecordSize > static_cast<size_t>(RemoteRecordsMax)) {
        return false;
    }
    message.recordCount = static_cast<int32_t>(body / RemoteRecordSize);
    for (int32_t i = 0; i < message.recordCount; ++i) {
        const uint8_t* at = data + 1 + static_cast<size_t>(i) * RemoteRecordSize;
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

} // namespace

bool decodeRemoteMessage(const uint8_t* data, size_t size, RemoteMessage& message) {
    message = RemoteMessage{};
    if (data == nullptr || size == 0) {
        return false;
    }
    message.type = data[0];
    bool good = false;
    if (message.type == RemoteTouchMessage) {
        good = decodeTouch(data, size, message);
    } else if (message.type == RemotePingMessage && size == 7) {
        message.token = read32(data + 1);
        message.roundTripMs = read16(data + 5);
        good = true;
    } else if (message.type == RemoteLetGoMessage && size == 1) {
        good = true;
    }
    if (!good) {
        message = RemoteMessage{};
    }
    return good;
}

void encodeRemotePong(uint32_t token, uint8_t* out) {
    out[0] = RemotePongMessage;
    for (int i = 0; i < 4; ++i) {
        out[1 + i] = static_cast<uint8_t>(token >> (8 * i));
    }
}
