// Letting go of held keys when the process dies of an error (Windows builds
// only; crash_release_win32.cpp).
#pragma once

// Installs an unhandled-exception filter and a terminate handler that run the
// current scene's release handler (every key it holds goes up), then let the
// process end as it would have. Called at start, before the window opens.
void installCrashRelease();
