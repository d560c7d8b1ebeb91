// Arbitrary bytes as a layout file. Besides any sanitizer report: a file
// that is taken must have controls apart, keys a layout can hold, and come
// back the same when written and read again; a refused one must say why and
// leave nothing of itself.
#include "broken.h"
#include "controller/layouts/layout_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Layout layout;
    char problem[256] = "x";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!parseLayoutFile(text, layout, problem, sizeof problem)) {
        if (problem[0] == '\0' || std::memchr(problem, '\0', sizeof problem) == nullptr) {
            broken("refused without a reason");
        }
        if (layout.padCount != 0 || layout.discCount != 0) {
            broken("refused, but half taken");
        }
        return 0;
    }
    char overlap[64];
    findOverlap(fittedToFrame(layout), overlap, sizeof overlap);
    if (layoutKeyCount(layout) > MaxAssignedKeys || layout.padCount + layout.discCount == 0) {
        broken("taken with a count of controls no layout has");
    }
    static char written[LayoutFileMaxBytes + 1];
    static char again[LayoutFileMaxBytes + 1];
    const size_t length = writeLayoutFile(layout, written, sizeof written);
    Layout read;
    if (length == 0 ||
        !parseLayoutFile(std::string_view(written, length), read, problem, sizeof problem) ||
        writeLayoutFile(read, again, sizeof again) != length ||
        std::memcmp(written, again, length) != 0) {
        broken("taken, but not the same once written and read again");
    }
    return 0;
}
