#include "keyout/held_record.h"

#include "keyout/interception_api.h"

namespace {

HeldRecord emptyRecord() {
    HeldRecord record = {};
    record.magic = HeldRecordMagic;
    record.size = sizeof(HeldRecord);
    return record;
}

HeldRecord ownRecord = emptyRecord();

// The bitmap row of a prefix: E1 before E0, as a stroke's state has it.
int32_t rowOf(unsigned short prefix) {
    return (prefix & KeyStateE1) != 0 ? 2 : (prefix & KeyStateE0) != 0 ? 1 : 0;
}

} // namespace

HeldRecord* heldRecord = &ownRecord;

bool isHeldRecord(const HeldRecord& record) {
    return record.magic == HeldRecordMagic && record.size == sizeof(HeldRecord);
}

void setKeyBit(KeyBits& bits, uint16_t code, unsigned short prefix, bool on) {
    const uint32_t c = code & 0xFFu;
    uint8_t& byte = bits[rowOf(prefix)][c / 8];
    const auto bit = static_cast<uint8_t>(1u << (c % 8));
    byte = static_cast<uint8_t>(on ? byte | bit : byte & ~bit);
}

bool keyBit(const KeyBits& bits, uint16_t code, unsigned short prefix) {
    const uint32_t c = code & 0xFFu;
    return (bits[rowOf(prefix)][c / 8] >> (c % 8) & 1u) != 0;
}

int32_t keyBitCount(const KeyBits& bits) {
    int32_t count = 0;
    for (const auto& row : bits) {
        for (uint8_t byte : row) {
            for (; byte != 0; byte &= static_cast<uint8_t>(byte - 1)) {
                ++count;
            }
        }
    }
    return count;
}

void noteKeyHeld(uint16_t code, unsigned short prefix, bool held) {
    setKeyBit(heldRecord->held, code, prefix, held);
}

bool keyHeldInRecord(const HeldRecord& record, uint16_t code, unsigned short prefix) {
    return keyBit(record.held, code, prefix);
}

int32_t keysHeldInRecord(const HeldRecord& record) {
    return keyBitCount(record.held);
}

void resetHeldRecord() {
    ownRecord = emptyRecord();
    heldRecord = &ownRecord;
}
