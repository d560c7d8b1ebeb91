// Arbitrary bytes as the command line of padrelle.exe. Besides any sanitizer
// report: a line that is taken gives options that go together; a refused
// one says why and shows what is accepted.
#include "controller/settings/launch_options.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    LaunchOptions options;
    char problem[LaunchProblemSize];
    if (parseLaunchOptions(line.c_str(), options, problem, sizeof problem)) {
        const bool outputKnown = options.output == OutputAuto ||
                                 options.output == OutputSendInput ||
                                 options.output == OutputInterception;
        if (!outputKnown || (options.assign && options.keysGiven)) {
            std::fprintf(stderr, "taken, but the options do not go together\n");
            std::abort();
        }
        for (const AssignedKey& key : options.keys.keys) {
            if (key.prefix != 0 && key.prefix != KeyStateE0 && key.prefix != KeyStateE1) {
                std::fprintf(stderr, "a key with prefix bits 0x%x\n", key.prefix);
                std::abort();
            }
        }
    } else if (std::strstr(problem, LaunchUsage) == nullptr) {
        std::fprintf(stderr, "refused without showing what is accepted: %s\n", problem);
        std::abort();
    }
    return 0;
}
