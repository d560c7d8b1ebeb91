// Bitmaps loaded by the platform: files with LoadImageW, resources with
// LoadBitmapA.
#include <windows.h>

#include "engine/engine.h"
#include "engine/wide_text.h"
#include "graphics/bitmap_backend.h"
#include "graphics/bitmap_backend_win32.h"

namespace {

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
    return LoadImageW(nullptr, wide.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
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
