#include "engine/logical_scale.h"

#include <cmath>

int32_t scaleToLogical(int32_t value, int32_t size, int32_t logical) {
    if (size <= 0) {
        return 0;
    }
    const float factor = static_cast<float>(logical) / static_cast<float>(size);
    const float product = static_cast<float>(value) * factor;
    // 2^31 is exact in float; anything at or past it does not fit.
    if (!(product < 2147483648.0f)) {
        return INT32_MAX;
    }
    if (!(product > -2147483648.0f)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(product);
}
