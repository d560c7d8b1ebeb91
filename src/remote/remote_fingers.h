// The fingers of the remote page in the touch table: each takes a slot as a
// touch on the screen does, under an id of its own, so that the screen's
// touches, the mouse and the page never take each other's slots.
#pragma once

#include "remote/remote_message.h"
#include "touch/touch_table.h"

#include <cstdint>

// Touch table ids of the page's fingers: this base plus the page's number.
constexpr uint32_t RemoteTouchIdBase = FirstFarTouchId;
bool isRemoteTouchId(uint32_t id);

// Files the records of one touch message in order. A finger comes down only
// with a down record and only into a free slot (one more than the table
// holds is refused, as an eleventh touch); moves and ups of a finger that is
// not down press nothing.
void fileRemoteRecords(const RemoteRecord* records, int32_t count);
// Every finger of the page up at once; a finger still on the phone's glass
// presses again only with a new down.
void letGoRemoteFingers();
int32_t remoteFingersDown();
void resetRemoteFingers();
