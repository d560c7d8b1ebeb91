"""The layout editor driven by the mouse, and layouts that follow the game in front."""
import os
import time

from e2e_inside.common import *  # noqa: F401,F403
from e2e_inside.game import *  # noqa: F401,F403
from e2e_inside.program import *  # noqa: F401,F403


# The default layout in the editor: its bar of buttons lies where it hides
# the fewest controls, two columns of eight at the top's middle (x 560-720,
# y 0-320); SAVE is the first of its last row. Pad 0 lies at 690,500
# (130 x 190), its resize handle at its bottom right corner (820, 690).
EDITOR_SAVE = (600, 300)
PAD0 = (755, 595)
PAD0_MOVED = (555, 595)  # 200 to the left: 490, on the grid of 20 500
HANDLE_MOVED = (630, 690)  # the handle once pad 0 is at 500
HANDLE_TO = (600, 660)  # 100 x 160
PAD0_SAVED_LINE = "pad 500 500 100 160 "
# A drag onto pad 1 (766,292): refused, its place shown in red, the pad stays.
REFUSED_FROM = (550, 580)
REFUSED_TO = (850, 400)  # the pad would lie at 800,320 (100 x 160)
REFUSED_EDGE = (800, 400)  # on the red outline of where it would lie
RED = (255, 0, 0)


def drag(client, start, end, steps=5, hold_screenshot=None):
    """The mouse's left button down at `start`, moved to `end` in steps, up."""
    xdotool("mousemove", *screen_point(client, start))
    time.sleep(0.15)
    xdotool("mousedown", 1)
    time.sleep(0.15)
    for i in range(1, steps + 1):
        point = (start[0] + (end[0] - start[0]) * i // steps,
                 start[1] + (end[1] - start[1]) * i // steps)
        xdotool("mousemove", *screen_point(client, point))
        time.sleep(0.06)
    time.sleep(0.3)
    shot = read_ppm(screenshot(hold_screenshot)) if hold_screenshot else None
    return shot


def release():
    time.sleep(0.1)
    xdotool("mouseup", 1)
    time.sleep(0.3)


def editor_run(game):
    """--edit: pad 0 dragged to a new place and resized with the mouse, a drag
    onto another pad refused on the screen, SAVE; the file holds the new place
    and a click there is pad 0's key in the game, which kept the focus."""
    keys = saved_keys()
    if not keys:
        raise Failure("editor: no keys saved by the earlier parts")
    layouts = os.path.join(appdata(), "layouts")
    saved = os.path.join(layouts, "default-own.txt")
    if os.path.exists(saved):
        os.remove(saved)
    padrelle = Padrelle(os.path.join(TMP, "app-sendinput"), ["--edit"])
    window = padrelle.window()
    time.sleep(1.5)
    game.focus()
    client = client_of(window, full=full_screen(window))
    drag(client, PAD0, PAD0_MOVED)
    release()
    drag(client, HANDLE_MOVED, HANDLE_TO)
    release()
    shot = drag(client, REFUSED_FROM, REFUSED_TO, steps=1, hold_screenshot="editor-refused")
    edge = pixel(shot, *screen_point(client, REFUSED_EDGE))
    # Back where the drag began before the button goes up: the pad stays.
    xdotool("mousemove", *screen_point(client, REFUSED_FROM))
    release()
    if distance(edge, RED) > 60:
        raise Failure(f"editor: the refused place is not shown in red: {edge}")
    note("editor: pad 0 moved and resized by the mouse; a drag onto pad 1 shown refused in red")
    click(client, EDITOR_SAVE)
    wait_for(10, f"editor: SAVE wrote no {saved}", lambda: os.path.exists(saved))
    text = read_file(saved)
    if PAD0_SAVED_LINE not in text or "pad 800 320" in text:
        raise Failure(f"editor: the saved file does not hold pad 0's new place:\n{text}")
    # Played at once: a click at pad 0's new place is its key in the game.
    code = int(keys[0].split(":")[-1], 16)
    e0 = 1 if keys[0].lower().startswith("e0:") else 0
    game.settle()
    since = game.mark()
    click(client, (550, 600))
    game.wait_keys(since, [("make", code, e0), ("break", code, e0)], "editor, pad 0's new place")
    if padrelle.close("the editor's run") != 0:
        raise Failure("editor: padrelle.exe did not end with exit code 0")
    settings = read_file(os.path.join(appdata(), "settings.txt"))
    if "default-own.txt" not in settings or "keys default-own " not in settings:
        raise Failure(f"editor: the saved layout is not remembered:\n{settings}")
    lost = [e for e in game.events()[since:] if e["what"] == "focus" and e["kind"] == "off"]
    if lost:
        raise Failure(f"editor: the game lost the focus: {lost}")
    note(f"editor: SAVE wrote {PAD0_SAVED_LINE.strip()}, played at once and remembered")


FOLLOW_LAYOUTS = {
    # One big pad each, apart from each other: where a click lands tells
    # which layout is in use.
    "testgame.txt": "layout 1\nname testgame\nsize 1280 720\ngame padrelle-test-game.exe\n"
                    "pad 100 100 300 300 white 1E\n",
    "othergame.txt": "layout 1\nname othergame\nsize 1280 720\ngame Other-Game.EXE\n"
                     "pad 800 100 300 300 blue 1F\n",
    "broken.txt": "layout 1\nname broken\ngame broken.exe\n",
}


def follow_run(game):
    """Layout files naming the test game and a second game: each comes up when
    its game is in front, with its keys, and the player's own layout when a
    third program is; the log says each switch; the games keep the focus."""
    layouts = os.path.join(appdata(), "layouts")
    os.makedirs(layouts, exist_ok=True)
    for name, text in FOLLOW_LAYOUTS.items():
        with open(os.path.join(layouts, name), "w") as handle:
            handle.write(text)
    keys = saved_keys()
    game.focus()
    padrelle = Padrelle(os.path.join(TMP, "app-sendinput"))
    window = padrelle.window()
    time.sleep(1)
    game.focus()
    client = client_of(window, full=full_screen(window))
    log_path = os.path.join(appdata(), "padrelle.log")

    def switched(line):
        wait_for(10, f"follow: the log never said \"{line}\":\n{read_file(log_path)}",
                 lambda: line in read_file(log_path))

    def press(target, point, code, what):
        # A program that comes in front gets again the breaks of the last
        # second (one taken as the foreground changed may have been dropped):
        # a break of the last game's key may reach it as the click does.
        target.settle()
        since = target.mark()
        click(client, point)
        expected = [("make", code, 0), ("break", code, 0)]
        wait_for(5, f"{what}: the game received {target.keys(since)}, not {expected}",
                 lambda: [k for k in target.keys(since)
                          if k[0] == "make" or k[1] == code] == expected)

    switched("layout testgame for padrelle-test-game.exe, which is in front")
    press(game, (250, 250), 0x1E, "follow, the test game's layout")
    other = Game("other-game.log", program="other-game.exe")
    third = None
    try:
        other.focus()
        switched("layout othergame for other-game.exe, which is in front")
        press(other, (950, 250), 0x1F, "follow, the other game's layout")
        third = Game("notes.log", program="notes.exe")
        third.focus()
        switched("layout default again: notes.exe is in front")
        press(third, PAD_CENTRES[0], int(keys[0].split(":")[-1], 16), "follow, back to default")
        game.focus()
        switched("layout testgame for padrelle-test-game.exe, which is in front")
    finally:
        other.end()
        if third:
            third.end()
        for name in FOLLOW_LAYOUTS:
            os.remove(os.path.join(layouts, name))
    if padrelle.close("the follow run") != 0:
        raise Failure("follow: padrelle.exe did not end with exit code 0")
    log = read_file(log_path)
    if "broken.txt is not usable: line 4: the size is missing" not in log:
        raise Failure(f"follow: the unusable layout file is not named in the log:\n{log}")
    if "layout default\n" not in read_file(os.path.join(appdata(), "settings.txt")):
        raise Failure("follow: a game's layout was remembered instead of the player's own")
    note("follow: each game's layout came up with its keys while it was in front, the "
         "player's own when another program was")
