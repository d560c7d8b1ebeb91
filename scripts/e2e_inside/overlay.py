"""The controller over the test game in borderless full screen."""
import os
import subprocess
import time

from e2e_inside.common import *  # noqa: F401,F403
from e2e_inside.game import *  # noqa: F401,F403
from e2e_inside.program import *  # noqa: F401,F403


# The overlay-turntable layout over a 1920 x 1080 screen, stretched 1.5 times:
# pad 2 (key 2E) covers x 519-601, y 930-1066; the panel lies just above the
# controls at the right, its buttons MORE at (1656, 717), WINDOW at
# (1758, 717) and EDIT at (1860, 717); the window is the band of the
# controls and the panel, from row 681 (unit 454) down. In the editor its bar
# is a row along the top: LEAVE at (1860, 30).
OVERLAY_KEYS = "2C,2D,2E,2F,30,31,32,1D,2A"
OVERLAY_PAD = (560, 1000)
OVERLAY_PAD_SAMPLES = ((530, 950), (570, 950))  # over two lanes of the game
OVERLAY_OUTSIDE = (1200, 400)
OVERLAY_MORE = (1656, 717)
OVERLAY_WINDOW = (1758, 717)
OVERLAY_EDIT = (1860, 717)
EDITOR_LEAVE = (1860, 30)
OVERLAY_BAND_TOP = 681


def screen_click(point, hold=0.15):
    xdotool("mousemove", *point)
    time.sleep(0.1)
    xdotool("mousedown", 1)
    time.sleep(hold)
    xdotool("mouseup", 1)


def overlay_run(openbox):
    """The controller over a game in borderless full screen, without a window
    manager (openbox raises a focused full-screen window over every other,
    which Windows does not) and with a compositor for the translucency."""
    openbox[0].kill()
    openbox[0].wait()
    compositor = subprocess.Popen(["xcompmgr"], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
    try:
        game = Game("overlay-game.log", full_screen=True)
        wait_for(10, "the full-screen game did not fill the screen",
                 lambda: geometry(find_window(FULL_GAME_TITLE))[2:] == (1920, 1080))
        time.sleep(1)
        before = read_ppm(screenshot("overlay-game-alone"))
        padrelle = Padrelle(os.path.join(TMP, "app-sendinput"),
                            ["--overlay", "50", "--layout", "overlay-turntable", "--keys",
                             OVERLAY_KEYS])
        window = padrelle.window()

        def drawn():
            return distance(pixel(read_ppm(screenshot("overlay")), *OVERLAY_PAD_SAMPLES[0]),
                            pixel(before, *OVERLAY_PAD_SAMPLES[0])) > 20
        wait_for(20, "the overlay's pads were not drawn over the game", drawn, interval=0.5)
        shot = read_ppm(screenshot("overlay"))
        # Only the band its controls need: the rest of the screen is the
        # game's alone.
        x, y, w, h = geometry(window)
        if abs(y - OVERLAY_BAND_TOP) > 1 or y + h > 1080 or x < 0 or x + w > 1920:
            raise Failure(f"the overlay covers {w} x {h} at {x},{y}, not the band of its "
                          f"controls from row {OVERLAY_BAND_TOP}")
        left, right = (pixel(shot, *p) for p in OVERLAY_PAD_SAMPLES)
        if distance(left, right) < 20 or distance(pixel(before, *OVERLAY_PAD_SAMPLES[0]),
                                                  pixel(before, *OVERLAY_PAD_SAMPLES[1])) < 20:
            raise Failure(f"the game's lanes do not show through the pad: {left} and {right}")
        if pixel(shot, *OVERLAY_OUTSIDE) != pixel(before, *OVERLAY_OUTSIDE):
            raise Failure("the overlay drew outside its controls")
        note("overlay: the game shows through the translucent pads, and nothing else is drawn")
        # Wine says a tool window's and a topmost window's styles to X as
        # these states: taskbars and window switchers leave such windows out.
        states = run("xprop", "-id", window, "_NET_WM_STATE", check=False)
        for state in ("_NET_WM_STATE_SKIP_TASKBAR", "_KDE_NET_WM_STATE_SKIP_SWITCHER",
                      "_NET_WM_STATE_ABOVE"):
            if state not in states:
                raise Failure(f"the overlay's window is not {state}: {states}")

        mark = game.mark()
        screen_click(OVERLAY_PAD)
        game.wait_keys(mark, [("make", 0x2E, 0), ("break", 0x2E, 0)], "overlay, pad 2")
        screen_click(OVERLAY_OUTSIDE)
        wait_for(5, "a click outside the controls did not reach the game", lambda: any(
            e["what"] == "click" and (int(e["x"]), int(e["y"])) == OVERLAY_OUTSIDE
            for e in game.events()[mark:]))
        note("overlay: a click on a pad is its key in the game, one elsewhere the game's own")

        screen_click(OVERLAY_MORE)
        time.sleep(0.5)
        more = pixel(read_ppm(screenshot("overlay-more")), *OVERLAY_PAD_SAMPLES[0])
        under = pixel(before, *OVERLAY_PAD_SAMPLES[0])
        if distance(more, under) <= distance(left, under):
            raise Failure(f"MORE did not make the overlay more opaque: {left} then {more}")
        # EDIT: the editor in place, over the whole monitor; LEAVE gives the
        # band back.
        screen_click(OVERLAY_EDIT)
        wait_for(10, "EDIT did not spread the overlay over the whole monitor",
                 lambda: geometry(window) == (0, 0, 1920, 1080))
        screen_click(EDITOR_LEAVE)
        wait_for(10, "LEAVE did not give the overlay its band back",
                 lambda: abs(geometry(window)[1] - OVERLAY_BAND_TOP) <= 1)
        note("overlay: EDIT opened the editor over the whole monitor, LEAVE gave the band back")
        screen_click(OVERLAY_WINDOW)
        def windowed():
            # Hidden for a moment while its styles change: not found then.
            # The 1280 x 720 client and its edge, not the overlay's band.
            found = find_window(TITLE)
            shape = geometry(found) if found else None
            return shape is not None and abs(shape[2] - 1284) <= 4 and abs(shape[3] - 724) <= 4
        wait_for(10, "WINDOW did not make the overlay a window", windowed)
        states = run("xprop", "-id", find_window(TITLE), "_NET_WM_STATE", check=False)
        if "_NET_WM_STATE_ABOVE" in states:
            raise Failure(f"the window stayed above every other: {states}")
        note("overlay: MORE makes it more opaque, WINDOW an ordinary window again")
        events = game.events()
        lost = [e for e in events if e["what"] == "focus" and e["kind"] == "off"]
        clicks = [e for e in events if e["what"] == "click"]
        if lost or not clicks or any(e["foreground"] != "1" for e in clicks):
            raise Failure(f"the game lost the focus: {lost}, clicks {clicks}")
        game.settle()
    finally:
        compositor.kill()
        compositor.wait()
        openbox[0] = start_openbox()
    wait_for(10, "openbox did not take the controller's window on",
             lambda: TITLE in run("wmctrl", "-l", check=False))
    if padrelle.close("the overlay's run") != 0:
        raise Failure("overlay: padrelle.exe did not end with exit code 0")
    if "overlay off 60" not in read_file(os.path.join(appdata(), "settings.txt")):
        raise Failure("overlay: its choice and opacity were not saved at the exit")
    note("overlay: the game kept the focus all along; the choice was saved")


# The window menu as Wine draws it: Restore (greyed, chosen first), Move,
# Size, Minimize, Maximize, Close, Wine's own "About Wine", then Padrelle's
# pages as submenus: "Phone or tablet", "Layout", "Screen", ... Down reaches
# "Screen" in this many steps; Right opens it at its first item, "Over the
# game".
MENU_DOWNS_TO_SCREEN = 10


def openbox_without_alt_space():
    """openbox's own configuration without its binding of Alt+Space (its client
    menu), so that the key reaches the window and opens the window's menu."""
    import re
    config = read_file("/etc/xdg/openbox/rc.xml")
    config = re.sub(r'<keybind key="A-space">.*?</keybind>', "", config, flags=re.S)
    path = os.path.join(TMP, "openbox-rc.xml")
    with open(path, "w") as handle:
        handle.write(config)
    return path


def window_menu_run(game, openbox):
    """"Over the game" chosen from the window menu of the active controller, with
    Alt+Space, the arrows and Return: hidden as it changes, an active window would
    stay active and keep the keyboard; the game gets the foreground back, a pad
    clicked over it is its key there, and Return switched nothing."""
    openbox[0].kill()
    openbox[0].wait()
    openbox[0] = start_openbox(openbox_without_alt_space())
    padrelle = Padrelle(os.path.join(TMP, "app-sendinput"),
                        ["--layout", "overlay-turntable", "--keys", OVERLAY_KEYS])
    padrelle.window()
    try:
        run("wmctrl", "-F", "-a", TITLE)
        wait_for(5, "the controller did not become the active window",
                 lambda: active_window_name() == TITLE)
        time.sleep(0.5)
        xdotool("key", "alt+space")
        time.sleep(0.5)
        for _ in range(MENU_DOWNS_TO_SCREEN):
            xdotool("key", "Down")
            time.sleep(0.1)
        xdotool("key", "Right")
        time.sleep(0.3)
        screenshot("window-menu")
        xdotool("keydown", "Return")
        time.sleep(0.15)
        xdotool("keyup", "Return")

        def over_the_game():
            found = find_window(TITLE)
            shape = geometry(found) if found else None
            return shape is not None and abs(shape[1] - OVERLAY_BAND_TOP) <= 1
        wait_for(10, "\"Over the game\" from the window menu did not lay the controller over "
                     "the game", over_the_game)
        wait_for(5, f"the game did not get the foreground back ({active_window_name()} has it)",
                 lambda: active_window_name() == GAME_TITLE)
        time.sleep(0.5)
        mark = game.mark()
        screen_click(OVERLAY_PAD)
        game.wait_keys(mark, [("make", 0x2E, 0), ("break", 0x2E, 0)],
                       "over the game from the window menu, pad 2")
        note("window menu: \"Over the game\" from the active controller gave the game the "
             "foreground; a pad clicked over it is its key in the game")
        screen_click(OVERLAY_WINDOW)

        def windowed():
            found = find_window(TITLE)
            shape = geometry(found) if found else None
            return shape is not None and shape[2] < 1300
        wait_for(10, "WINDOW did not make the overlay a window", windowed)
    finally:
        openbox[0].kill()
        openbox[0].wait()
        openbox[0] = start_openbox()
    # Both windows taken on before one is raised: wmctrl -a finds only a
    # window the window manager lists.
    wait_for(10, "openbox did not take the controller's and the game's windows on",
             lambda: all(title in run("wmctrl", "-l", check=False)
                         for title in (TITLE, game.title)))
    # A window in front again (between the two window managers there was
    # none): a break is taken only where one is.
    game.focus()
    if padrelle.close("the window menu's run") != 0:
        raise Failure("window menu: padrelle.exe did not end with exit code 0")
    if "fullscreen" in read_file(os.path.join(appdata(), "settings.txt")):
        raise Failure("window menu: Return that chose the item switched to full screen")
