// Bitmaps loaded by the platform: files read with CreateFileW (whose page
// documents the \\?\ form a long path needs; LoadImageW's does not),
// decoded by the program's own hardened reader into a DIB section;
// resources with LoadBitmapA.
#include <windows.h>

#include "base/platform.h"
#include "base/wide_text.h"
#include "graphics/bitmap_backend.h"
#include "graphics/bitmap_backend_win32.h"
#include "graphics/bmp_reader.h"

#include <vector>

namespace {

// The whole file, at most BmpMaxFileBytes; empty when it cannot be read.
std::vector<uint8_t> readWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    LARGE_INTEGER size = {};
    std::vector<uint8_t> bytes;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        static_cast<uint64_t>(size.QuadPart) <= BmpMaxFileBytes) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
            got != bytes.size()) {
            bytes.clear();
        }
    }
    CloseHandle(file);
    return bytes;
}

BitmapHandle loadFile(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return nullptr;
    }
    // The path is UTF-8: a folder's name may be in any language. The file's
    // own size; a relative path is taken from the current directory.
    const std::wstring wide = fileSystemPath(path);
    if (wide.empty()) {
        return nullptr;
    }
    const std::vector<uint8_t> bytes = readWholeFile(wide);
    PixelImage image;
    if (bytes.empty() || !readBmp(bytes.data(), bytes.size(), image)) {
        return nullptr;
    }
    // 32 bits a pixel, top row first: blue, green, red, then a spare byte.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        return nullptr;
    }
    auto* out = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const uint32_t colour = image.pixels[i]; // 0x00BBGGRR
        out[i] = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    }
    return bitmap;
}

BitmapHandle loadResource(uint16_t id) {
    return LoadBitmapA(static_cast<HINSTANCE>(moduleInstance), MAKEINTRESOURCEA(id));
}

bool querySize(BitmapHandle bitmap, int32_t* width, int32_t* height) {
    if (bitmap == nullptr || width == nullptr || height == nullptr) {
        return false;
    }
    BITMAP record = {};
    if (GetObjectA(static_cast<HBITMAP>(bitmap), sizeof record, &record) != sizeof record) {
        return false;
    }
    *width = record.bmWidth;
    *height = record.bmHeight;
    return true;
}

void destroy(BitmapHandle bitmap) {
    if (bitmap != nullptr) {
        DeleteObject(static_cast<HBITMAP>(bitmap));
    }
}

} // namespace

void useWin32BitmapBackend() {
    bitmapBackend = {loadFile, loadResource, querySize, destroy};
}
