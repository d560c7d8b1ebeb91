// The remote controller on the controller screen: the address a phone opens,
// as a line and as a QR code, and how the phone is connected.
#pragma once

#include "graphics/canvas.h"
#include "remote/steady_delay.h"

#include <cstddef>
#include <cstdint>

// Serves the controller's layout to a phone with that pairing code; the
// problem, if it cannot, is on the remote line.
void startRemoteController(const char* code);
void stopRemoteController();
// How the phone's keys are timed from now on (remote/steady_delay.h), saved
// as the other settings are: a delay that follows the network, a fixed one,
// or at once.
void changeRemoteDelay(const DelaySetting& setting);
// The layout in use changed: the phone's page shows it from now on.
void showLayoutToPhone();
// The remote line: the address while no phone holds the controller, the
// phone and its round trip while one does, the problem when the server
// could not start; "" when the remote controller is off.
void writeRemoteLine(char* out, size_t size);
// The connected phone's round trips of the last minute after the health
// line, while a phone holds the controller and measured any, and how its
// touches are timed.
void appendRoundTrips(char* line, size_t size);
// Whether the QR code is on the screen: while no phone holds the controller.
bool remoteCodeShown();
// The QR code of the address, dark on light, its top left corner at x, y
// and each module that many units a side (in play 4, between the turntable
// and the keys of the default layout; larger while keys are asked for and
// in the menu), while there is a code; its side, 0 without one.
int32_t composeRemoteCode(Canvas& dc, int32_t x, int32_t y, int32_t modulePixels);
int32_t remoteCodeSide(int32_t modulePixels);
constexpr int32_t RemoteCodeLeft = 490;
constexpr int32_t RemoteCodeTop = 470;
constexpr int32_t RemoteCodeModule = 4;
