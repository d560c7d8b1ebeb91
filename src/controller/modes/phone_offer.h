// The first start of a PC without a touch screen (the system reports no
// touch points): beside the keys' prompt, the phone or tablet is offered as
// the touch screen. Choosing it starts the phone's server (Windows asks then,
// and only then, whether Padrelle may use the network) and shows its
// address and QR code large; the mouse plays as well.
#pragma once

#include "graphics/canvas.h"
#include "graphics/geometry.h"

extern const Rect PhoneOfferButton;
constexpr const char* PhoneOfferText = "PLAY FROM A PHONE OR TABLET";
constexpr const char* MouseOfferText = "or play with the mouse";
// Where the QR code is drawn, and how large, while keys are asked for.
constexpr int32_t AssignCodeLeft = 470;
constexpr int32_t AssignCodeTop = 290;
constexpr int32_t AssignCodeModule = 5;

// Whether the phone is offered now: keys are asked for, the PC has no touch
// screen and the phone is off.
bool phoneOffered();
// Each pass while keys are asked for: a tap on the button turns the phone on.
void offerThePhone();
// The button and the line beside the prompt, or the phone's code large.
void composePhoneOffer(Canvas& dc);
