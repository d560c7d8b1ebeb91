// The platform's bitmap loading (Windows builds only).
#pragma once

// Fills bitmapBackend with LoadImageA, LoadBitmapA, GetObjectA and DeleteObject.
void useWin32BitmapBackend();
