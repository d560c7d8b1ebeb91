// Letting go of every key the controller holds on the output side.
#pragma once

// Sends a break stroke for each pad key and scratch key still held and marks
// it released. Idempotent and safe at any time: a key not held gets no break
// stroke, and after the output is closed nothing is sent.
void releaseHeldKeys();
