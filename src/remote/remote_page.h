// The controller page served to the phone: remote_page.html, built into the
// program.
#pragma once

#include <cstddef>

extern const char RemotePage[];
extern const size_t RemotePageSize;
