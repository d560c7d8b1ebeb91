// Sounds started without waiting. The controller carries none.
#pragma once

#include <cstdint>

void playSoundResource(uint16_t resourceId);
void playSoundFile(const char* fileName);
