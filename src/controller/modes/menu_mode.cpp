#include "controller/modes/menu_mode.h"

#include "base/format_text.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "controller/layouts/free_place.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/overlay.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "remote/remote_fingers.h"
#include "touch/button_hold.h"
#include "touch/button_tap.h"
#include "touch/touch_table.h"

#include <cctype>
#include <iterator>

namespace {

constexpr Rect Panel = {40, 80, 680, 1200};
// Touch-sized buttons: 256 x 80 units, about 5.8 x 1.8 cm on a 13-inch screen.
constexpr int32_t ButtonWidth = 256;
constexpr int32_t ButtonHeight = 80;
constexpr int32_t Left = 92;
constexpr int32_t ColumnStep = 280;
constexpr int32_t Top = 92;
constexpr int32_t RowStep = 96;
constexpr int32_t BottomRow = 584;
constexpr int32_t LayoutCellHeight = 148;
constexpr int32_t LayoutRowStep = 156;
constexpr int32_t LayoutColumns = 4;
constexpr Rect NoPlace = {0, 0, 0, 0};
// The menu's button in play.
constexpr int32_t HoldButtonWidth = 128;
constexpr int32_t HoldButtonHeight = 44;
constexpr int32_t HoldButtonMargin = 4;
// How often a held button is drawn anew as it fills.
constexpr uint32_t HoldFrameMs = 20;
// Outside the panel: a tap there closes the menu.
constexpr int32_t Outside = 1000;

struct Menu {
    MenuPage page = PageMain;
    int32_t firstLayout = 0;
    std::vector<MenuButton> buttons;
    uint64_t layoutsLaidOut = 0; // the layouts' version the buttons were made for
    uint32_t ignored = 0;        // fingers down as the menu opened, until they lift
    ButtonTap tap = {};
    uint64_t version = 0;
};

Menu menu;
Rect holdButton = NoPlace;
ButtonHold hold;
int32_t holdShare = -1;

Rect cell(int32_t column, int32_t row, int32_t height = ButtonHeight, int32_t step = RowStep) {
    const int32_t top = Top + row * step;
    const int32_t left = Left + column * ColumnStep;
    return Rect{top, left, top + height, left + ButtonWidth};
}

Rect bottom(int32_t column) {
    const int32_t left = Left + column * ColumnStep;
    return Rect{BottomRow, left, BottomRow + ButtonHeight, left + ButtonWidth};
}

// The page's buttons: the first page's pages in a grid; elsewhere its
// commands in a column, what they tell beside them; the layouts in a grid.
void layOut() {
    std::vector<MenuButton>& buttons = menu.buttons;
    buttons.clear();
    menu.layoutsLaidOut = menuLayoutsVersion();
    if (menu.page == PageMain) {
        // The pages, with the first page's own commands (Edit layout after
        // Screen, About at the end) among them.
        const MenuButton grid[] = {
            {{}, TargetPage, PagePhone},  {{}, TargetPage, PageLayout},
            {{}, TargetPage, PageScreen}, {{}, TargetCommand, CommandEditLayout},
            {{}, TargetPage, PageKeys},   {{}, TargetPage, PageOutput},
            {{}, TargetPage, PageFiles},  {{}, TargetCommand, CommandAbout}};
        for (int32_t at = 0; at < static_cast<int32_t>(std::size(grid)); ++at) {
            buttons.push_back({cell(at % 4, at / 4), grid[at].kind, grid[at].value});
        }
        buttons.push_back({bottom(0), TargetCommand, CommandClose});
        buttons.push_back({bottom(3), TargetPlay, 0});
        return;
    }
    if (menu.page == PageLayout) {
        const auto count = static_cast<int32_t>(menuLayouts().size());
        if (menu.firstLayout >= count) {
            menu.firstLayout = 0; // the folder lost layouts meanwhile
        }
        for (int32_t i = 0; i < MenuLayoutsShown && menu.firstLayout + i < count; ++i) {
            buttons.push_back(
                {cell(i % LayoutColumns, i / LayoutColumns, LayoutCellHeight, LayoutRowStep),
                 TargetLayout, menu.firstLayout + i});
        }
        if (menu.firstLayout > 0) {
            buttons.push_back({bottom(1), TargetEarlier, 0});
        }
        if (menu.firstLayout + MenuLayoutsShown < count) {
            buttons.push_back({bottom(2), TargetLater, 0});
        }
    } else {
        int32_t row = 0;
        for (int32_t id = 0; id < MenuCommandCount; ++id) {
            if (menuCommand(id).page == menu.page) {
                buttons.push_back({cell(0, row++), TargetCommand, id});
            }
        }
        if (menu.page == PagePhone) { // how its keys are timed, a page of its own
            buttons.push_back({cell(0, row), TargetPage, PageTiming});
        }
    }
    buttons.push_back({bottom(0), TargetBack, 0});
    buttons.push_back({bottom(3), TargetPlay, 0});
}

int32_t buttonAt(int32_t x, int32_t y) {
    for (size_t i = 0; i < menu.buttons.size(); ++i) {
        if (pointInRect(x, y, menu.buttons[i].box)) {
            return static_cast<int32_t>(i);
        }
    }
    return pointInRect(x, y, Panel) ? -1 : Outside;
}

// The phone's fingers play; the menu is on the PC's screen only.
bool onThisScreen(int32_t finger) {
    return finger >= TouchSlotCount || !isRemoteTouchId(TouchTable[finger].id);
}

bool mayTap(int32_t finger) {
    return (menu.ignored & (1u << finger)) == 0 && onThisScreen(finger);
}

void forgetLiftedFingers() {
    for (int32_t i = 0; i < FingerCount; ++i) {
        if (fingerAt(i).down == 0) {
            menu.ignored &= ~(1u << i);
        }
    }
}

void showPage(MenuPage page) {
    menu.page = page;
    menu.firstLayout = 0;
    if (page == PageLayout) {
        refreshMenuLayouts();
    }
    layOut();
    menuChanged();
}

void press(const MenuButton& button) {
    switch (button.kind) {
    case TargetCommand:
        actOnCommand(button.value);
        break;
    case TargetPage:
        showPage(static_cast<MenuPage>(button.value));
        break;
    case TargetLayout:
        chooseLayout(button.value);
        break;
    case TargetBack:
        showPage(menu.page == PageTiming ? PagePhone : PageMain);
        break;
    case TargetPlay:
        closeMenu();
        break;
    case TargetEarlier:
    case TargetLater:
        menu.firstLayout += button.kind == TargetLater ? MenuLayoutsShown : -MenuLayoutsShown;
        layOut();
        menuChanged();
        break;
    }
}

bool onHoldButton(int32_t x, int32_t y) {
    return pointInRect(x, y, overlayState.on ? overlayButtonBox(OverlayMenu) : holdButton);
}

} // namespace

void placeMenuButton(const Layout& layout) {
    const std::vector<Rect> places =
        byCover(layout, edgePlaces(HoldButtonWidth, HoldButtonHeight, HoldButtonMargin));
    holdButton = places.front();
}

Rect menuButtonBox() {
    return holdButton;
}

int32_t menuHoldShare() {
    return holdShare;
}

bool watchMenuButton() {
    const int32_t held = followHold(hold, onHoldButton, platform.timeMs(), onThisScreen);
    const int32_t share = held < 0 ? -1 : static_cast<int32_t>(held * 1000 / MenuHoldMs);
    holdShare = share > 1000 ? 1000 : share;
    if (held < 0) {
        return false;
    }
    if (static_cast<uint32_t>(held) < MenuHoldMs) {
        requestPassIn(HoldFrameMs); // the fill, and the moment it is held long enough
        return false;
    }
    hold.finger = -1;
    holdShare = -1;
    openMenu(PageMain);
    return controllerMode == MenuOpen;
}

void openMenu(MenuPage page) {
    if (controllerMode != MenuOpen) {
        if (controllerMode != Play) {
            return;
        }
        releaseHeldKeys();
        const uint64_t version = menu.version; // never the same twice: it names the layers
        menu = Menu{};
        menu.version = version;
        for (int32_t i = 0; i < FingerCount; ++i) {
            if (fingerAt(i).down != 0) {
                menu.ignored |= 1u << i;
            }
        }
        controllerMode = MenuOpen;
        holdShare = -1;
        overlayMenuOpen(true);
    }
    showPage(page);
}

void closeMenu() {
    if (controllerMode != MenuOpen) {
        return;
    }
    controllerMode = Play;
    holdBackFingersDown();
    hold = ButtonHold{};
    overlayMenuOpen(false);
    menuChanged();
}

void updateMenu() {
    // The window menu, as it opens, reads the layouts folder again.
    if (menu.layoutsLaidOut != menuLayoutsVersion()) {
        layOut();
        menuChanged();
    }
    forgetLiftedFingers();
    if (ActionMap[ActionEsc].pressed != 0) {
        closeMenu();
        return;
    }
    const int32_t tapped = followTap(menu.tap, buttonAt, mayTap);
    if (tapped == Outside) {
        closeMenu();
    } else if (tapped >= 0 && static_cast<size_t>(tapped) < menu.buttons.size()) {
        press(menu.buttons[static_cast<size_t>(tapped)]);
    }
}

const std::vector<MenuButton>& menuButtons() {
    return menu.buttons;
}

void menuButtonText(const MenuButton& button, char* out, size_t size) {
    const char* text = "";
    switch (button.kind) {
    case TargetCommand:
        text = menuCommand(button.value).text;
        break;
    case TargetPage:
        text = menuPageTitle(static_cast<MenuPage>(button.value));
        break;
    case TargetLayout:
        text = static_cast<size_t>(button.value) < menuLayouts().size()
                   ? menuLayouts()[static_cast<size_t>(button.value)].name
                   : "";
        break;
    case TargetBack:
        text = "Back";
        break;
    case TargetPlay:
        text = "Back to play";
        break;
    case TargetEarlier:
        text = "Previous";
        break;
    case TargetLater:
        text = "Next";
        break;
    }
    formatTextN(out, size, "%s", text);
    // Capitals on the screen, as its other buttons; a layout keeps its name.
    for (char* c = out; button.kind != TargetLayout && *c != '\0'; ++c) {
        *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    }
}

bool menuButtonMarked(const MenuButton& button) {
    if (button.kind == TargetLayout) {
        const auto index = static_cast<size_t>(button.value);
        return index < menuLayouts().size() && layoutInUse(menuLayouts()[index]);
    }
    if (button.kind != TargetCommand) {
        return false;
    }
    const MenuCommand& command = menuCommand(button.value);
    return command.chosen != nullptr && command.chosen();
}

MenuPage menuPage() {
    return menu.page;
}

int32_t menuFirstLayout() {
    return menu.firstLayout;
}

Rect menuPanel() {
    return Panel;
}

uint64_t menuContent() {
    uint64_t hash = menu.version * 1099511628211ull ^ menuLayoutsVersion();
    for (const MenuButton& button : menu.buttons) {
        hash = (hash ^ (menuButtonMarked(button) ? 1u : 0u)) * 1099511628211ull;
    }
    return (hash ^ static_cast<uint64_t>(menu.page)) * 1099511628211ull;
}

void menuChanged() {
    ++menu.version;
}

void resetMenu() {
    const uint64_t version = menu.version + 1; // never the same twice: it names the layers
    menu = Menu{};
    menu.version = version;
    holdButton = NoPlace;
    hold = ButtonHold{};
    holdShare = -1;
}
