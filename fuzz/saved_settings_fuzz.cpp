// Arbitrary bytes as the saved settings file. Besides any sanitizer report:
// a file that is taken must come back the same when written and read again;
// a refused one must say why.
#include "broken.h"
#include "controller/settings/saved_settings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

bool same(const SavedSettings& a, const SavedSettings& b) {
    if (a.keysCount != b.keysCount || a.hasLayout != b.hasLayout ||
        a.layoutFromFile != b.layoutFromFile || std::strcmp(a.layout, b.layout) != 0) {
        return false;
    }
    for (int32_t l = 0; l < a.keysCount; ++l) {
        const KeySet& x = a.keys[l].keys;
        const KeySet& y = b.keys[l].keys;
        if (std::strcmp(a.keys[l].layout, b.keys[l].layout) != 0 || x.count != y.count) {
            return false;
        }
        for (int32_t i = 0; i < x.count; ++i) {
            if (x.keys[i].code != y.keys[i].code || x.keys[i].prefix != y.keys[i].prefix) {
                return false;
            }
        }
    }
    return a.hasScreen == b.hasScreen &&
           (!a.hasScreen || (std::strcmp(a.screen.monitor, b.screen.monitor) == 0 &&
                             a.screen.fullScreen == b.screen.fullScreen &&
                             std::strcmp(a.screen.device, b.screen.device) == 0)) &&
           a.hasRemote == b.hasRemote &&
           (!a.hasRemote ||
            (a.remoteOn == b.remoteOn && std::strcmp(a.pairingCode, b.pairingCode) == 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SavedSettings settings;
    char problem[256] = "x";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!parseSavedSettings(text, settings, problem, sizeof problem)) {
        if (problem[0] == '\0' || std::memchr(problem, '\0', sizeof problem) == nullptr) {
            broken("refused without a reason");
        }
        return 0;
    }
    char written[SavedSettingsMaxBytes];
    const size_t length = writeSavedSettings(settings, written, sizeof written);
    SavedSettings again;
    if (length == 0 ||
        !parseSavedSettings(std::string_view(written, length), again, problem, sizeof problem) ||
        !same(settings, again)) {
        broken("taken, but not the same once written and read again");
    }
    return 0;
}
