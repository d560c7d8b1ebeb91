"""The menu on the controller screen, driven by the mouse alone, as a player
who never types a command line: the first start of a PC without a touch
screen (Wine has no touch points) offers the phone; from the menu another
layout, the keys asked again, the output, the phone off and on with a page
in Chromium pressing a key, over the game and back; each choice found again
at the next start, and the game keeps the focus throughout."""
import json
import os
import re
import subprocess
import time

from e2e_inside.common import *  # noqa: F401,F403
from e2e_inside.game import *  # noqa: F401,F403
from e2e_inside.phone import scanned_codes
from e2e_inside.program import *  # noqa: F401,F403


# Where things lie in the 1280 x 720 frame. The keys' prompt: its buttons
# for the layout's own keys and for the phone. The menu's button: under the
# default layout's turntable, in the top left corner of nine. The menu's
# first page: its pages in a grid; a page: its commands in a column; BACK and
# BACK TO PLAY in the bottom corners; its panel's yellow edge at the top.
OWN_KEYS = (640, 240)
PHONE_OFFER = (590, 300)
DEFAULT_MENU_BUTTON = (68, 694)
NINE_MENU_BUTTON = (68, 26)


def cell(column, row):
    return (220 + 280 * column, 132 + 96 * row)


PAGES = {"phone": cell(0, 0), "layout": cell(1, 0), "screen": cell(2, 0), "keys": cell(0, 1),
         "output": cell(1, 1)}
BACK = (220, 624)
BACK_TO_PLAY = (1060, 624)
PANEL_EDGE = (640, 40)
YELLOW = (255, 255, 0)
NINE = cell(3, 0)[0], 166  # the fourth layout's picture
NINE_PAD0 = (140, 570)
NINE_OWN = [0x2C, 0x1F, 0x2D, 0x20, 0x2E, 0x21, 0x2F, 0x22, 0x30]
# The keys typed for nine when they are asked again, and their scancodes.
NINE_TYPED = ["a", "s", "d", "f", "g", "h", "j", "k", "l"]
NINE_TYPED_KEYS = [0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26]
# Over the game nine lies on the whole 1920 x 1080 monitor at 1.5 units a
# pixel; its panel's MENU, first in the panel just above the controls.
MONITOR = (0, 0, 1920, 1080)
NINE_PANEL_MENU = (900, 198)
MENU_SCRIPT = os.path.join(os.path.dirname(HERE), "tests", "browser", "menu_phone.js")


def hold(client, logical, seconds=0.8):
    """The mouse's button held on a place of the frame: the gesture that opens the menu."""
    xdotool("mousemove", *screen_point(client, logical))
    time.sleep(0.1)
    xdotool("mousedown", 1)
    time.sleep(seconds)
    xdotool("mouseup", 1)
    time.sleep(0.2)


def menu_shown(client):
    shot = read_ppm(screenshot("menu"))
    return distance(pixel(shot, *screen_point(client, PANEL_EDGE)), YELLOW) < 60


def open_menu(client, button):
    hold(client, button)
    wait_for(5, "the held button did not open the menu", lambda: menu_shown(client), interval=0.3)


def choose(client, *places):
    for place in places:
        click(client, place)
        time.sleep(0.3)


def settings():
    return read_file(os.path.join(appdata(), "settings.txt"))


def log_text():
    return read_file(os.path.join(appdata(), "padrelle.log"))


def phone_urls():
    return re.findall(r"remote controller: (http://[0-9.]+:[0-9]+/#[0-9a-z]{12})", log_text())


def first_start(game, app):
    """No settings yet and no touch screen: beside the keys' prompt the phone is offered;
    choosing it serves the page, whose QR code scans as the address in the log."""
    kept = os.path.join(appdata(), "settings.txt")
    if os.path.exists(kept):
        os.remove(kept)
    padrelle = Padrelle(app)
    window = padrelle.window()
    time.sleep(1)
    game.focus()  # a new window takes the focus at its start: the player clicks the game
    since = game.mark()
    client = client_of(window)
    offer = pixel(read_ppm(screenshot("menu-first-start")),
                  *screen_point(client, (420, PHONE_OFFER[1])))
    if distance(offer, YELLOW) > 60:
        raise Failure(f"the first start offers no phone beside the keys' prompt ({offer})")
    click(client, PHONE_OFFER)
    urls = wait_for(15, "choosing the phone served no page", phone_urls)
    codes = wait_for(5, "no QR code could be read off the first start",
                     lambda: scanned_codes("menu-first-start-code"))
    if codes != [urls[0]]:
        raise Failure(f"the first start's QR code reads {codes}, not the address {urls[0]}")
    if f"remote on {urls[0][-12:]}" not in settings():
        raise Failure(f"the phone chosen at the first start was not saved:\n{settings()}")
    note(f"menu: the first start offered the phone; its code scans as {urls[0]}")
    click(client, OWN_KEYS)
    wait_for(5, "the layout's own keys were not saved", lambda: "keys default" in settings())
    return padrelle, client, since


def focus_kept(game, since, what):
    lost = [e for e in game.events()[since:] if e["what"] == "focus" and e["kind"] == "off"]
    if lost:
        raise Failure(f"menu: the game lost the focus {what}: {lost}")


def another_layout(game, client):
    """Nine from the layouts' page: its own keys (asked for when a keyboard is there, and
    then the prompt's own button gives them); a click on its pad 0 is its key."""
    open_menu(client, DEFAULT_MENU_BUTTON)
    choose(client, PAGES["layout"], NINE)
    time.sleep(1)
    asked = "layout nine" not in settings()
    if asked:
        click(client, OWN_KEYS)
    wait_for(5, "nine was not remembered", lambda: "layout nine\n" in settings())
    game.settle()
    since = game.mark()
    click(client, NINE_PAD0)
    game.wait_keys(since, [("make", 0x2C, 0), ("break", 0x2C, 0)], "menu, nine's pad 0")
    note(f"menu: nine chosen, {'its keys asked for' if asked else 'with its own keys'}; "
         f"a click on its pad 0 is its key")


def keys_again(game, client):
    """KEYS, ASK FOR THE KEYS AGAIN: the keys typed are nine's from now on."""
    open_menu(client, NINE_MENU_BUTTON)
    choose(client, PAGES["keys"], cell(0, 0))
    time.sleep(0.5)
    for key in NINE_TYPED:
        xdotool("keydown", key)
        time.sleep(0.08)
        xdotool("keyup", key)
        time.sleep(0.25)
    typed = " ".join(f"{code:02X}" for code in NINE_TYPED_KEYS)
    wait_for(10, f"the keys typed were not saved as {typed}:\n{settings()}",
             lambda: f"keys nine {typed}\n" in settings())
    click_and_wait(game, client, NINE_PAD0, 0x1E, "menu, nine's pad 0 with the keys typed")
    note("menu: the keys asked again from the menu, typed, saved and played")


def click_and_wait(game, client, place, code, what):
    game.settle()
    since = game.mark()
    click(client, place)
    game.wait_keys(since, [("make", code, 0), ("break", code, 0)], what)


def output_and_phone(game, client):
    """OUTPUT, SENDINPUT; then PHONE OFF and PHONE ON: the same address again, where a page in
    Chromium is in and its touch on pad 0 is the key in the game."""
    open_menu(client, NINE_MENU_BUTTON)
    choose(client, PAGES["output"], cell(0, 1), BACK)
    wait_for(5, "SENDINPUT was not remembered", lambda: "output sendinput\n" in settings())
    served = len(phone_urls())
    choose(client, PAGES["phone"], cell(0, 1))
    wait_for(5, "PHONE OFF was not remembered", lambda: "remote off " in settings())
    choose(client, cell(0, 0))
    urls = wait_for(10, "PHONE ON served no page", lambda: phone_urls()[served:])
    if "remote on " not in settings():
        raise Failure(f"PHONE ON was not remembered:\n{settings()}")
    choose(client, BACK_TO_PLAY)
    game.settle()
    since = game.mark()
    url = urls[0].replace(re.search(r"//([0-9.]+):", urls[0]).group(1), "127.0.0.1")
    browser = subprocess.run(["node", MENU_SCRIPT, json.dumps({"url": url, "pad": NINE_PAD0})],
                             capture_output=True, text=True, timeout=60)
    if browser.returncode != 0:
        raise Failure(f"the page from the menu's phone: {browser.stderr.strip()[-1500:]}")
    said = json.loads(browser.stdout.strip().splitlines()[-1])
    game.wait_keys(since, [("make", 0x1E, 0), ("break", 0x1E, 0)], "menu, the phone's touch")
    note(f"menu: SENDINPUT chosen; the phone off and on again: {urls[0]}, a page in Chromium "
         f"said \"{said['connected']}\" and its touch on pad 0 was the key in the game")
    return urls[0]


def over_the_game_and_back(client):
    """SCREEN, OVER THE GAME: the band of nine's controls over the monitor; the panel's MENU
    held spreads the window over the monitor for the menu; SCREEN, WINDOW: a window again."""
    open_menu(client, NINE_MENU_BUTTON)
    choose(client, PAGES["screen"], cell(0, 0))

    def band():
        found = find_window(TITLE)
        shape = geometry(found) if found else None
        return shape if shape and shape[3] < 1080 and 100 < shape[1] < 1080 else None
    top = wait_for(10, "OVER THE GAME did not lay the controller over the game", band)[1]
    open_menu(MONITOR, NINE_PANEL_MENU)
    wait_for(5, "the menu over the game did not spread over the monitor",
             lambda: geometry(find_window(TITLE)) == MONITOR)
    choose(MONITOR, PAGES["screen"], cell(0, 1))

    def windowed():
        found = find_window(TITLE)
        shape = geometry(found) if found else None
        return shape is not None and abs(shape[2] - 1284) <= 4 and abs(shape[3] - 724) <= 4
    wait_for(10, "WINDOW did not make the controller a window again", windowed)
    note(f"menu: over the game (its band from row {top}), the panel's MENU over the whole "
         f"monitor, WINDOW a window again")


def menu_run(game):
    started = time.time()
    app = os.path.join(TMP, "app-sendinput")
    padrelle, client, since = first_start(game, app)
    another_layout(game, client)
    keys_again(game, client)
    url = output_and_phone(game, client)
    over_the_game_and_back(client)
    focus_kept(game, since, "while the menu was used")
    if padrelle.close("the menu's run") != 0:
        raise Failure("menu: padrelle.exe did not end with exit code 0")
    saved = settings()
    for line in ("layout nine\n", "keys nine 1E 1F 20 21 22 23 24 25 26\n",
                 f"remote on {url[-12:]}\n", "overlay off 60\n", "output sendinput\n"):
        if line not in saved:
            raise Failure(f"menu: \"{line.strip()}\" was not remembered:\n{saved}")
    # The next start: each choice found again.
    os.remove(os.path.join(appdata(), "padrelle.log"))
    padrelle = Padrelle(app)
    window = padrelle.window()
    wait_for(20, "the next start did not serve the phone at the same address",
             lambda: url in log_text())
    log = log_text()
    for said in ("layout: nine", "keys in use: 1E 1F 20", "SendInput, as chosen"):
        if said not in log:
            raise Failure(f"menu: the next start's log does not say \"{said}\":\n{log}")
    time.sleep(0.5)
    game.focus()
    since = game.mark()
    click_and_wait(game, client_of(window), NINE_PAD0, 0x1E, "menu, the next start")
    focus_kept(game, since, "at the next start")
    if padrelle.close("the next start") != 0:
        raise Failure("menu: the next start did not end with exit code 0")
    note(f"menu: every choice found again at the next start; the game kept the focus "
         f"({time.time() - started:.0f} s)")
