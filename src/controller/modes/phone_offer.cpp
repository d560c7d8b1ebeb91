#include "controller/modes/phone_offer.h"

#include "base/platform.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/menu_commands.h"
#include "controller/modes/remote_panel.h"
#include "remote/remote_link.h"
#include "touch/button_tap.h"
#include "touch/touch_table.h"

// Under the prompt's own button (the layout's own keys), left of the
// default layout's upper pads.
const Rect PhoneOfferButton = {275, 420, 325, 760}; // top, left, bottom, right

namespace {

ButtonTap tap;

int32_t offerAt(int32_t x, int32_t y) {
    return phoneOffered() && pointInRect(x, y, PhoneOfferButton) ? 0 : -1;
}

} // namespace

bool phoneOffered() {
    return controllerMode == AssignKeys && platform.touchPoints() == 0 &&
           remoteStatus().state == RemoteState::Off;
}

void offerThePhone() {
    if (followTap(tap, offerAt) == 0) {
        actOnCommand(CommandPhoneOn);
    }
}

void composePhoneOffer(Canvas& dc) {
    if (phoneOffered()) {
        composeCell(dc, PhoneOfferButton, PhoneOfferText);
        drawText(dc, (PhoneOfferButton.left + PhoneOfferButton.right) / 2,
                 PhoneOfferButton.bottom + 8, MouseOfferText, ColourYellow, AnchorTopCentre);
        return;
    }
    const int32_t side = composeRemoteCode(dc, AssignCodeLeft, AssignCodeTop, AssignCodeModule);
    if (side > 0) {
        composeLineAt(dc, AssignCodeLeft, AssignCodeTop + side + 4, remoteStatus().address,
                      ColourYellow);
    }
}
