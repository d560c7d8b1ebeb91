// How a fuzz target says that a rule broke: the rule on stderr, then an
// abort, which libFuzzer keeps as a crash with its input.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void broken(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}
