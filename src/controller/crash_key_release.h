// Letting go of held keys when the process dies of an error (Windows builds
// only; crash_key_release_win32.cpp).
#pragma once

// Installs an unhandled-exception filter and a terminate handler that send
// the break strokes of every held key through the open keyboard output, then
// let the process end as it would have. Called by WinMain at start.
void installCrashKeyRelease();
