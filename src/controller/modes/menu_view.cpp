#include "controller/modes/menu_view.h"

#include "base/format_text.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/menu_mode.h"
#include "controller/modes/overlay.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remote_panel.h"
#include "controller/settings/settings_store.h"
#include "keyout/keyboard_library.h"
#include "keyout/keyboard_output.h"
#include "remote/remote_link.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr uint32_t ColourPanel = 0x101010;
constexpr uint32_t ColourFrameBox = 0x404040;
constexpr uint32_t ColourOutline = 0x808080;
constexpr uint32_t ColourKnob = 0xC0C0C0;
constexpr int32_t LineStep = 20;
constexpr int32_t CharWidth = 8;
// Beside the commands' column, and the whole panel's width.
constexpr int32_t TextLeft = 380;
constexpr int32_t TextRight = 1180;
constexpr int32_t TextTop = 96;
constexpr int32_t OutcomeY = 562;
// The phone's code at the right of its page.
constexpr int32_t CodeModule = 8;
constexpr int32_t CodeTop = 92;
// A layout's picture in its cell: 16:9, the name under it.
constexpr int32_t PictureWidth = 192;
constexpr int32_t PictureHeight = 108;

// Text wrapped onto lines of at most chars characters from x, y on; gives
// the y of the next line.
int32_t composeText(Canvas& dc, int32_t x, int32_t y, int32_t right, const char* text,
                    uint32_t colour) {
    const auto chars = static_cast<size_t>((right - x) / CharWidth);
    char line[256];
    for (size_t at = 0, length = 0; text[at] != '\0'; y += LineStep) {
        at = wrapLine(text, at, std::min(chars, sizeof line - 1), &length);
        std::memcpy(line, text + at, length);
        line[length] = '\0';
        drawText(dc, x, y, line, colour, AnchorTopLeft);
        at += length;
    }
    return y;
}

void composeMarked(Canvas& dc, const Rect& box, const char* text) {
    fillRect(dc, Rect{box.top + 1, box.left + 1, box.bottom - 1, box.right - 1}, ColourBacking);
    for (int32_t grow = 0; grow < 3; ++grow) {
        drawRectOutline(dc,
                        Rect{box.top + grow, box.left + grow, box.bottom - grow, box.right - grow},
                        ColourGreen);
    }
    drawText(dc, (box.left + box.right) / 2, (box.top + box.bottom - TextHeight) / 2, text,
             ColourGreen, AnchorTopCentre);
}

// A layout's cell: its picture, its name under it; a file that cannot be
// used says so in red.
void composeLayoutCell(Canvas& dc, const MenuButton& button, const char* name) {
    if (static_cast<size_t>(button.value) >= menuLayouts().size()) {
        return; // laid out again in the next pass
    }
    const MenuLayout& entry = menuLayouts()[static_cast<size_t>(button.value)];
    const Rect& box = button.box;
    const bool marked = menuButtonMarked(button);
    if (marked) {
        composeMarked(dc, box, "");
    } else {
        composeCell(dc, box, "");
    }
    const int32_t left = (box.left + box.right - PictureWidth) / 2;
    const Rect picture = {box.top + 8, left, box.top + 8 + PictureHeight, left + PictureWidth};
    if (entry.usable) {
        composeLayoutPicture(dc, entry.layout, picture);
    } else {
        drawText(dc, (picture.left + picture.right) / 2, picture.top + PictureHeight / 2,
                 "CANNOT BE USED", ColourRed, AnchorCentre);
    }
    drawText(dc, (box.left + box.right) / 2, box.bottom - 26, name,
             entry.usable ? (marked ? ColourGreen : ColourYellow) : ColourRed, AnchorTopCentre);
}

void composeTitle(Canvas& dc) {
    const Rect panel = menuPanel();
    char title[160];
    const MenuPage page = menuPage();
    if (page == PageMain) {
        formatText(title, "%s", "MENU");
    } else if (page == PageLayout) {
        const auto count = static_cast<int32_t>(menuLayouts().size());
        const int32_t first = menuFirstLayout();
        formatText(title, "MENU > LAYOUT: %d TO %d OF %d, THE ONE IN USE IN GREEN",
                   static_cast<int>(first + 1),
                   static_cast<int>(std::min(first + MenuLayoutsShown, count)),
                   static_cast<int>(count));
    } else {
        char name[64];
        formatText(name, "%s", menuPageTitle(page));
        for (char* c = name; *c != '\0'; ++c) {
            *c = static_cast<char>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c);
        }
        formatText(title, "MENU > %s", name);
    }
    drawText(dc, panel.left + 12, panel.top + 16, title, ColourYellow, AnchorTopLeft);
}

void composeMain(Canvas& dc) {
    char line[NoticeSize * 2];
    int32_t y = 300;
    formatText(line, "layout in use: %s", playedLayout.name);
    y = composeText(dc, 92, y, TextRight, line, ColourGreen);
    writeRemoteLine(line, sizeof line);
    y = composeText(dc, 92, y, TextRight,
                    line[0] != '\0' ? line : "phone or tablet: off (PHONE OR TABLET turns it on)",
                    ColourGreen);
    if (overlayState.on) {
        formatText(line, "screen: over the game, %d%% opaque",
                   static_cast<int>(overlayState.opacity));
    } else {
        formatText(line, "screen: %s", fullScreen != 0 ? "full screen" : "a window");
    }
    y = composeText(dc, 92, y, TextRight, line, ColourGreen);
    y = composeText(dc, 92, y, TextRight, outputNotice, ColourGreen);
    composeText(dc, 92, y + LineStep, TextRight,
                "Over the game the panel's MENU opens this menu, held as this one's button is.",
                ColourYellow);
}

void composePhone(Canvas& dc) {
    const RemoteState state = remoteStatus().state;
    const bool serving = state == RemoteState::Waiting || state == RemoteState::Connected;
    const int32_t side = serving ? remoteCodeSide(CodeModule) : 0;
    const int32_t right = side > 0 ? TextRight - side - 16 : TextRight;
    if (side > 0) {
        composeRemoteCode(dc, TextRight - side, CodeTop, CodeModule);
    }
    char line[NoticeSize * 2];
    int32_t y = TextTop;
    if (state == RemoteState::Off) {
        y = composeText(dc, TextLeft, y, right,
                        "The phone is off. PHONE ON serves the controller to a phone or tablet "
                        "on the same network as this PC: open the address it then shows in the "
                        "phone's browser, or scan the code with its camera.",
                        ColourYellow);
    } else {
        writeRemoteLine(line, sizeof line);
        y = composeText(dc, TextLeft, y, right, line, ColourGreen);
        line[0] = '\0';
        appendRoundTrips(line, sizeof line);
        y = composeText(dc, TextLeft, y, right, line, ColourGreen);
    }
    y = composeText(dc, TextLeft, y + LineStep, right,
                    "Windows asks once whether Padrelle may use the network: allow it on "
                    "private networks (your home network), not on public ones.",
                    ColourYellow);
    composeText(dc, TextLeft, y + LineStep, right,
                "NEW PAIRING CODE locks out every page opened with the old code.", ColourYellow);
}

void composeTiming(Canvas& dc) {
    const RemoteStatus& status = remoteStatus();
    char line[NoticeSize * 2];
    describeRemoteTiming(status.timing, line, sizeof line);
    const DelaySetting setting = remoteDelay();
    char chosen[64];
    if (setting.mode == DelayMode::Fixed) {
        formatText(chosen, "a fixed delay of %d ms", static_cast<int>(setting.fixedMs));
    } else if (setting.mode == DelayMode::AtOnce) {
        formatText(chosen, "%s", "at once");
    } else {
        formatText(chosen, "%s", "a steady delay that follows the network");
    }
    char said[NoticeSize * 3];
    formatText(said, "The phone's keys: %s. %s", chosen,
               line[0] != '\0' ? line : "No phone holds the controller now.");
    int32_t y = composeText(dc, TextLeft, TextTop, TextRight, said, ColourGreen);
    y = composeText(dc, TextLeft, y + LineStep, TextRight,
                    "STEADY DELAY: every key of the phone comes the same time after your finger, "
                    "however the Wi-Fi varies, so that the game's offset takes it away: set the "
                    "game's input offset once to the delay shown here. A FIXED DELAY keeps it "
                    "the same for good (a few ms above what the steady delay showed). AT ONCE: "
                    "each key as it comes, with the network's unevenness.",
                    ColourYellow);
    composeText(dc, TextLeft, y + LineStep, TextRight,
                "The screen's own touches and the mouse are never delayed.", ColourYellow);
}

void composeScreen(Canvas& dc) {
    char line[160];
    int32_t y = composeText(
        dc, TextLeft, TextTop, TextRight,
        "OVER THE GAME: the controller lies translucent over the game on the same screen, and "
        "only its controls take touches (choose borderless or windowed full screen in the "
        "game). WINDOW: a window of its own. FULL SCREEN: the whole monitor.",
        ColourYellow);
    formatText(line, "opacity over the game: %d%% (LESS OPAQUE and MORE OPAQUE: 10%% a tap)",
               static_cast<int>(overlayState.opacity));
    y = composeText(dc, TextLeft, y + LineStep, TextRight, line, ColourGreen);
    composeText(dc, TextLeft, y + LineStep, TextRight,
                "In a window or full screen, Return switches between the two while Padrelle is "
                "the active window.",
                ColourYellow);
}

void composeKeys(Canvas& dc) {
    char keys[KeyListSize];
    writeKeyList(currentKeys(), keys, sizeof keys);
    char line[KeyListSize + 64];
    formatText(line, "layout %s, keys in use: %s", controllerLayout.name, keys);
    const int32_t y = composeText(dc, TextLeft, TextTop, TextRight, line, ColourGreen);
    composeText(dc, TextLeft, y + LineStep, TextRight,
                "ASK FOR THE KEYS AGAIN: press on a keyboard the key each highlighted pad is to "
                "send, then each disc's two directions. THE LAYOUT'S OWN KEYS: the keys the "
                "layout comes with, for a PC without a keyboard. Either is saved for the layout.",
                ColourYellow);
}

void composeOutput(Canvas& dc) {
    int32_t y = composeText(dc, TextLeft, TextTop, TextRight, outputNotice, ColourGreen);
    y = composeText(dc, TextLeft, y + LineStep, TextRight,
                    "AUTOMATIC: the Interception driver when it can be used, SendInput otherwise.",
                    ColourYellow);
    y = composeText(dc, TextLeft, y, TextRight,
                    "SENDINPUT: needs nothing installed and no keyboard. A few games ignore its "
                    "keys, and a game run as administrator gets them only from a Padrelle run "
                    "as administrator too.",
                    ColourYellow);
    y = composeText(dc, TextLeft, y, TextRight,
                    "THE INTERCEPTION DRIVER: needs the driver installed (then a restart), its "
                    "interception.dll beside padrelle.exe and a keyboard attached. Some "
                    "anti-cheat systems refuse it.",
                    ColourYellow);
    char reason[256];
    describeKeyboardLibrary(keyboardLibrary, reason, sizeof reason);
    char line[320];
    formatText(line, "the driver now: %s",
               outputInUse == DriverOutput ? "in use"
               : reason[0] != '\0'         ? reason
                                           : "it can be used");
    composeText(dc, TextLeft, y + LineStep, TextRight, line, ColourGreen);
}

void composeFiles(Canvas& dc) {
    char line[320];
    formatText(line,
               "the layouts folder: %s. Layout files there are offered in LAYOUT; those that "
               "name a game come up while it is in front.",
               LayoutsPlace);
    int32_t y = composeText(dc, TextLeft, TextTop, TextRight, line, ColourYellow);
    formatText(line, "the log: %s. What Padrelle found as it started, and what happened since.",
               LogPlace);
    y = composeText(dc, TextLeft, y + LineStep, TextRight, line, ColourYellow);
    composeText(dc, TextLeft, y + LineStep, TextRight,
                "the guide: padrelle-guide.html beside padrelle.exe, in the browser.",
                ColourYellow);
}

void composeAbout(Canvas& dc) {
    char line[320];
    int32_t y = composeText(dc, 92, TextTop, TextRight, "Padrelle 1.0", ColourGreen);
    y = composeText(dc, 92, y + LineStep, TextRight,
                    "A touch screen, a phone or a tablet as a rhythm-game controller: every "
                    "finger on a pad is a key for the game, which keeps the focus.",
                    ColourYellow);
    formatText(line, "Settings: %s. The log: %s.", SettingsPlace, LogPlace);
    y = composeText(dc, 92, y + LineStep, TextRight, line, ColourYellow);
    y = composeText(dc, 92, y, TextRight,
                    "The guide: padrelle-guide.html beside padrelle.exe (FILES AND GUIDE opens "
                    "it).",
                    ColourYellow);
    composeText(dc, 92, y + LineStep, TextRight, "program by Vistrel", ColourBlue);
}

// The points of a circle, cut to the box: a segment with an end outside it
// is left out.
void composeClippedCircle(Canvas& dc, double x, double y, double radius, const Rect& box) {
    constexpr int32_t Segments = 48;
    const auto inside = [&box](int32_t px, int32_t py) {
        return px >= box.left && px < box.right && py >= box.top && py < box.bottom;
    };
    for (int32_t i = 0; i < Segments; ++i) {
        const double a = 2 * std::numbers::pi * i / Segments;
        const double b = 2 * std::numbers::pi * (i + 1) / Segments;
        const auto x1 = static_cast<int32_t>(std::lround(x + radius * std::cos(a)));
        const auto y1 = static_cast<int32_t>(std::lround(y + radius * std::sin(a)));
        const auto x2 = static_cast<int32_t>(std::lround(x + radius * std::cos(b)));
        const auto y2 = static_cast<int32_t>(std::lround(y + radius * std::sin(b)));
        if (inside(x1, y1) && inside(x2, y2)) {
            drawLine(dc, x1, y1, x2, y2, ColourKnob);
        }
    }
}

} // namespace

void composeLayoutPicture(Canvas& dc, const Layout& layout, const Rect& box) {
    const Layout fitted = fittedToFrame(layout);
    const double scale = static_cast<double>(box.right - box.left) / 1280.0;
    const auto at = [scale](int64_t unit) {
        return static_cast<int32_t>(std::lround(static_cast<double>(unit) * scale));
    };
    fillRect(dc, box, 0x000000);
    drawRectOutline(dc, box, ColourFrameBox);
    for (int32_t i = 0; i < fitted.padCount; ++i) {
        const LayoutPad& pad = fitted.pads[i];
        const Rect r = {std::max(box.top, box.top + at(pad.y)),
                        std::max(box.left, box.left + at(pad.x)),
                        std::min(box.bottom, box.top + at(int64_t{pad.y} + pad.height)),
                        std::min(box.right, box.left + at(int64_t{pad.x} + pad.width))};
        if (r.right - r.left >= 2 && r.bottom - r.top >= 2) {
            fillRect(dc, r, padColour(pad));
            drawRectOutline(dc, r, ColourOutline);
        }
    }
    for (int32_t i = 0; i < fitted.discCount; ++i) {
        const LayoutDisc& disc = fitted.discs[i];
        composeClippedCircle(dc, box.left + disc.x * scale, box.top + disc.y * scale,
                             disc.radius * scale, box);
    }
}

void composeMenuBase(Canvas& dc) {
    composeControls(dc);
    const Rect panel = menuPanel();
    fillRect(dc, panel, ColourPanel);
    drawRectOutline(dc, panel, ColourYellow);
    composeTitle(dc);
    char text[LayoutNameSize + 32];
    for (const MenuButton& button : menuButtons()) {
        menuButtonText(button, text, sizeof text);
        if (button.kind == TargetLayout) {
            composeLayoutCell(dc, button, text);
        } else if (menuButtonMarked(button)) {
            composeMarked(dc, button.box, text);
        } else {
            composeCell(dc, button.box, text);
        }
    }
}

void composeMenuTop(Canvas& dc) {
    switch (menuPage()) {
    case PageMain:
        composeMain(dc);
        break;
    case PagePhone:
        composePhone(dc);
        break;
    case PageTiming:
        composeTiming(dc);
        break;
    case PageScreen:
        composeScreen(dc);
        break;
    case PageKeys:
        composeKeys(dc);
        break;
    case PageOutput:
        composeOutput(dc);
        break;
    case PageFiles:
        composeFiles(dc);
        break;
    case PageAbout:
        composeAbout(dc);
        break;
    default:
        break;
    }
    // One line, cut short (a problem is in the log whole).
    const MenuOutcome& outcome = menuOutcome();
    char line[(TextRight - 92) / CharWidth + 1];
    formatText(line, "%s", outcome.text);
    drawText(dc, 92, OutcomeY, line, outcome.problem ? ColourRed : ColourGreen, AnchorTopLeft);
}
