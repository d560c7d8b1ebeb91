// Writing a picture as an uncompressed 24-bit bottom-up Windows bitmap file.
#pragma once

#include "picture.h"

#include <string>

// True when the whole file was written; false with `error` saying why.
bool writeBmpFile(const std::string& path, const Picture& picture, std::string& error);
