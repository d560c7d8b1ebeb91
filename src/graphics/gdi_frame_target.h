// Frames drawn into a 1280 x 720 GDI back buffer and stretched onto the main
// window's client area (Windows builds only).
#pragma once

// Points frameTarget at the GDI back buffer of mainWindow.
void useGdiFrameTarget();
