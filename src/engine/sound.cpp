#include "engine/sound.h"

#include "base/platform.h"
#include "base/win_constants.h"

#include <cstdint>

void playSoundResource(uint16_t resourceId) {
    // An integer resource name travels in the pointer itself.
    const char* name = reinterpret_cast<const char*>(static_cast<uintptr_t>(resourceId));
    platform.playSound(name, win::SND_RESOURCE | win::SND_ASYNC);
}

void playSoundFile(const char* fileName) {
    platform.playSound(fileName, win::SND_FILENAME | win::SND_ASYNC);
}
