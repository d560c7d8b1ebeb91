// The debug line of one filed touch point: "[index][id][flags] x y", with the
// id and positions in signed decimal and the flags in lower-case hex, exactly
// as printf's "[%d][%d][%x] %d %d" writes them, but without its cost: a full
// message of ten points is formatted in well under a microsecond.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest line: "[-2147483648][-2147483648][ffffffff] -2147483648 -2147483648".
constexpr size_t TouchDebugLineMaxLength = 60;

// Writes the line into line (size bytes), cut to fit and always terminated
// when size > 0; returns the length of the whole line.
size_t writeTouchDebugLine(char* line, size_t size, int32_t index, int32_t id, uint32_t flags,
                           int32_t x, int32_t y);
