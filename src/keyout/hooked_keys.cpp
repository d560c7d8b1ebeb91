#include "keyout/system_input.h"

#include <mutex>

namespace {

constexpr uint32_t QueueSize = 64;

struct HookedQueue {
    std::mutex lock;
    HookedKey keys[QueueSize];
    uint32_t first = 0;
    uint32_t count = 0;
};

HookedQueue queue;

} // namespace

void queueHookedKey(const HookedKey& key) {
    const std::lock_guard<std::mutex> hold(queue.lock);
    if (queue.count < QueueSize) {
        queue.keys[(queue.first + queue.count) % QueueSize] = key;
        ++queue.count;
    }
}

uint32_t takeHookedKeys(HookedKey* keys, uint32_t max) {
    const std::lock_guard<std::mutex> hold(queue.lock);
    uint32_t taken = 0;
    for (; taken < max && queue.count > 0; ++taken) {
        keys[taken] = queue.keys[queue.first];
        queue.first = (queue.first + 1) % QueueSize;
        --queue.count;
    }
    return taken;
}

void discardHookedKeys() {
    const std::lock_guard<std::mutex> hold(queue.lock);
    queue.first = 0;
    queue.count = 0;
}
