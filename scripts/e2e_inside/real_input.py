"""The parts driven by real input: the stand-in library, SendInput, later
starts, layouts, hard kills, a close during assignment, diagnostics."""
import os
import re
import subprocess
import sys
import time

from e2e_inside.common import *  # noqa: F401,F403
from e2e_inside.game import *  # noqa: F401,F403
from e2e_inside.program import *  # noqa: F401,F403


def stand_in_run(game):
    app = os.path.join(TMP, "app-standin")
    log = os.path.join(TMP, "standin-interception.log")
    gate = os.path.join(TMP, "gate")
    with open(gate, "w") as handle:
        handle.write("0\n")
    padrelle = Padrelle(app, env={
        "PADRELLE_STANDIN_KEYS": STANDIN_KEYS, "PADRELLE_STANDIN_LOG": windows_path(log),
        "PADRELLE_STANDIN_GATE": windows_path(gate), "PADRELLE_STANDIN_INJECT": "1"})
    window = padrelle.window()
    note(f"stand-in run: window {window} is up")
    wait_for(60, "key assignment did not start (no capture waiting in the log)",
             lambda: "gate key=0 closed" in read_file(log))
    time.sleep(1)
    shot = screenshot("assigning")
    windowed = geometry(window)
    client = tuple(int(v) for v in run(sys.executable, os.path.join(HERE, "e2e-check-log.py"),
                                       "client", log).split())
    screen = run("xwininfo", "-root")
    screen_size = (int(re.search(r"Width:\s+(\d+)", screen).group(1)),
                   int(re.search(r"Height:\s+(\d+)", screen).group(1)))
    run(sys.executable, os.path.join(HERE, "e2e-check-log.py"), "window", log,
        f"{screen_size[0]} {screen_size[1]}", " ".join(str(v) for v in windowed))
    check_frame(shot, client, "assign")

    with open(gate, "w") as handle:
        handle.write("9\n")
    wait_for(30, "key assignment did not reach the scratch keys",
             lambda: "gate key=9 closed" in read_file(log))
    time.sleep(1)
    check_frame(screenshot("assigning-scratch"), client, "assign-scratch")
    with open(gate, "w") as handle:
        handle.write("11\n")
    wait_for(30, "the eleven keys were not all captured (the filter was not cleared)",
             lambda: read_file(log).count("filter=0x0000") >= 1)
    time.sleep(1)
    check_frame(screenshot("playing"), client, "play")

    # Return while the window is active: full screen and back. Held as a
    # person holds it: the key state is read once a pass. The window was
    # activated at its start, but the window manager may have given the
    # focus elsewhere meanwhile; the player would click its title then.
    def press_return():
        xdotool("keydown", "Return")
        time.sleep(0.2)
        xdotool("keyup", "Return")
    # A player whose Return went unseen presses it again, the controller
    # made active first (under Wine the window manager's focus and Wine's
    # own now and then disagree at this point).
    def return_until(geometry_wanted, what):
        for attempt in range(5):
            if attempt > 0 or active_window_name() != TITLE:
                run("wmctrl", "-F", "-a", TITLE, check=False)
                time.sleep(0.5)
            press_return()
            try:
                wait_for(4, what, lambda: geometry(window) == geometry_wanted)
                if attempt > 0:
                    note(f"stand-in run: Return seen at press {attempt + 1}")
                return
            except Failure:
                if attempt == 4:
                    raise
    note("stand-in run: Return to full screen")
    return_until((0, 0, *screen_size),
                 f"Return did not switch to a full-screen pop-up covering {screen_size}")
    time.sleep(1)
    full = client_of(window, full=True)
    if full != (0, 0, *screen_size):
        raise Failure(f"the full-screen client area is {full}, not the whole screen")
    check_frame(screenshot("fullscreen"), full, "play")
    return_until(windowed, f"Return did not restore the centred window {windowed}")
    time.sleep(1)
    check_frame(screenshot("windowed"), client, "play")

    note("stand-in run: the game takes the focus; clicks and a turn of the disc")
    game.focus()
    click_pad(game, client, 0, 0x1E, 0, "stand-in, pad 0")
    click_pad(game, client, 8, 0x26, 0, "stand-in, pad 8")
    turn_disc(game, client, (0x1D, 1), (0x2A, 0), "stand-in, the disc")
    if not game.has_focus():
        raise Failure(f"clicks on the windowed controller took the focus ({active_window_name()})")
    code = padrelle.close()
    if code != 0:
        raise Failure(f"padrelle.exe ended with exit code {code}")
    result = subprocess.run([sys.executable, os.path.join(HERE, "e2e-check-log.py"), "run", log,
                             STANDIN_KEYS])
    if result.returncode != 0:
        raise Failure(f"log check ({log})")
    note("stand-in run: strokes reached the game, exit code 0, log checked")


def sendinput_run(game, results):
    app = os.path.join(TMP, "app-sendinput")
    padrelle = Padrelle(app, ["--assign"])
    window = padrelle.window()
    note("SendInput run: no interception.dll; the eleven keys typed into the game")
    game.focus()
    time.sleep(0.5)
    for key in TYPED:
        xdotool("keydown", key)
        time.sleep(0.08)
        xdotool("keyup", key)
        time.sleep(0.25)
    expected = [key_name(code, e0) for code, e0 in TYPED_KEYS]
    wait_for(10, f"the typed keys were not saved as {expected} (saved: {saved_keys()})",
             lambda: saved_keys() == expected)
    log = read_file(os.path.join(appdata(), "padrelle.log"))
    if "keys go out through SendInput: no interception.dll" not in log:
        raise Failure(f"the log does not say why SendInput is used:\n{log}")

    client = client_of(window)
    click_pad(game, client, 0, 0x1E, 0, "SendInput, pad 0")
    click_pad(game, client, 8, 0x4D, 1, "SendInput, pad 8 (an E0 key)")
    turn_disc(game, client, (0x18, 0), (0x19, 0), "SendInput, the disc both ways")
    if not game.has_focus():
        raise Failure(f"clicks on the windowed controller took the focus ({active_window_name()})")

    note(f"SendInput run: {LATENCY_CLICKS} clicks each on pad 1 and on the floor program, "
         f"in turn")
    floor = subprocess.Popen([WINE, os.path.join(TMP, "padrelle-test-game.exe"), "--floor"],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    floor_window = wait_for(30, "the floor program's window did not appear",
                            lambda: find_window(FLOOR_TITLE))
    fx, fy, fw, fh = geometry(floor_window)
    game.focus()  # the window manager hands a new window the focus
    series = [(screen_point(client, PAD_CENTRES[1]), 0x1F), ((fx + fw // 2, fy + fh // 2), 0x39)]
    results["padrelle"], results["floor"] = measure_clicks(game, series, LATENCY_CLICKS)
    # A rhythm game keeps every core busy: the same clicks with a busy
    # process on each core, the floor program under the same load.
    note(f"SendInput run: {LOADED_CLICKS} clicks each again with {os.cpu_count()} busy processes")
    busy = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(os.cpu_count())]
    try:
        time.sleep(1)
        results["padrelle-loaded"], results["floor-loaded"] = measure_clicks(
            game, series, LOADED_CLICKS)
    finally:
        for process in busy:
            process.kill()
            process.wait()
    run("wmctrl", "-F", "-c", FLOOR_TITLE)
    floor.wait(timeout=15)

    pid = padrelle.pid()
    time.sleep(1)
    before = process_cpu_seconds(pid)
    time.sleep(5)
    results["idle"] = (process_cpu_seconds(pid) - before) / 5
    note(f"SendInput run: idle {results['idle']:.3f} CPU-seconds a second; the disc turned "
         f"for 4 s")
    x, y = screen_point(client, disc_point(0.0))
    xdotool("mousemove", x, y)
    xdotool("mousedown", 1)
    chain = []
    for i in range(200):
        import math
        px, py = screen_point(client, disc_point(0.5 * math.sin(i / 10.0)))
        chain += ["mousemove", str(px), str(py), "sleep", "0.02"]
    started = time.time()
    before = process_cpu_seconds(pid)
    xdotool(*chain)
    results["turning"] = (process_cpu_seconds(pid) - before) / (time.time() - started)
    xdotool("mouseup", 1)
    game.settle()

    note("SendInput run: pad 2 held while the window is closed")
    game.settle()
    since = game.mark()
    x, y = screen_point(client, PAD_CENTRES[2])
    xdotool("mousemove", x, y)
    time.sleep(0.1)
    xdotool("mousedown", 1)
    game.wait_keys(since, [("make", 0x20, 0)], "pad 2 held")
    code = padrelle.close()
    xdotool("mouseup", 1)
    if code != 0:
        raise Failure(f"padrelle.exe ended with exit code {code}")
    game.wait_keys(since, [("make", 0x20, 0), ("break", 0x20, 0)], "pad 2 let go at the exit")
    if "screen \\\\.\\DISPLAY1 window" not in read_file(os.path.join(appdata(), "settings.txt")):
        raise Failure("the windowed screen was not saved at the exit")


def hard_kill(game, app, args, env, pad, code, e0, what, tree=False, job=False):
    """A pad held with the mouse, the program killed hard (or its whole process tree
    ended, as Task Manager's "End process tree" does, or the job it was started in
    closed, which kills every process left in it): the guard lets go."""
    padrelle = Padrelle(app, args, env, in_job=job)
    window = padrelle.window()
    guard = wait_for(20, f"{what}: no guard process beside padrelle.exe", guard_pid)
    if tree:
        # A guard ended under the program is replaced, and the log says so.
        os.kill(guard, 9)
        guard = wait_for(10, f"{what}: no new guard after the first was killed",
                         lambda: guard_pid() not in (None, guard) and guard_pid())
        wait_for(5, f"{what}: the log does not say the guard was replaced",
                 lambda: "a new one was started" in read_file(os.path.join(appdata(),
                                                                           "padrelle.log")))
    time.sleep(1)
    game.focus()
    game.settle()
    since = game.mark()
    x, y = screen_point(client_of(window, full=full_screen(window)), PAD_CENTRES[pad])
    xdotool("mousemove", x, y)
    time.sleep(0.1)
    xdotool("mousedown", 1)
    game.wait_keys(since, [("make", code, e0)], f"{what}: pad {pad} held")
    main = padrelle_pids()[0]
    if main is None and not job:
        raise Failure(f"{what}: the program's own process is not found")
    if tree:
        ended = subprocess.run([WINE, os.path.join(TMP, "padrelle-end-tree.exe")],
                               capture_output=True, text=True, timeout=60)
        if ended.returncode != 0:
            raise Failure(f"{what}: the tree was not ended: {ended.stdout} {ended.stderr}")
        note(f"{what}: {ended.stdout.strip().splitlines()[-1]}")
    elif job:
        padrelle.close_job()
    else:
        os.kill(main, 9)
    killed = time.time()
    game.wait_keys(since, [("make", code, e0), ("break", code, e0)],
                   f"{what}: the guard let go of pad {pad} after the hard kill")
    took = time.time() - killed
    xdotool("mouseup", 1)
    wait_for(10, f"{what}: the guard did not end after its work", lambda: guard_pid() is None)
    padrelle.process.wait(timeout=10)
    note(f"{what}: killed hard with pad {pad} held; the guard (process {guard}) sent its break "
         f"{took:.2f} s later and ended")


def later_start(game, pad, code, opens_full, what):
    """A start with the saved keys: play at once, a click on a pad, the end."""
    padrelle = Padrelle(os.path.join(TMP, "app-sendinput"))
    window = padrelle.window()
    if opens_full:
        wait_for(10, f"{what}: it did not open in full screen", lambda: full_screen(window))
    else:
        # Active since its start: Return switches to full screen (pressed
        # again, as a player would, if the first went unseen).
        time.sleep(1)
        for attempt in range(3):
            xdotool("keydown", "Return")
            time.sleep(0.2)
            xdotool("keyup", "Return")
            try:
                wait_for(4, f"{what}: Return did not switch to full screen",
                         lambda: full_screen(window))
                break
            except Failure:
                if attempt == 2:
                    raise
    note(f"{what}: the saved keys, play at once, full screen")
    time.sleep(0.5)
    game.focus()
    click_pad(game, client_of(window, full=True), pad, code, 0, f"{what}, full screen, pad {pad}")
    if padrelle.close() != 0:
        raise Failure(f"{what}: padrelle.exe did not end with exit code 0")
    if "fullscreen" not in read_file(os.path.join(appdata(), "settings.txt")):
        raise Failure(f"{what}: full screen was not saved at the exit")


DOUBLE_KEYS = "1E,1F,20,21,22,23,24,25,26,27,28,2B,2C,2D,10,11,12,13"


def layout_run(game):
    """The largest built-in layout on the shipped program: double play's two
    groups of keys, with keys given on the command line."""
    padrelle = Padrelle(os.path.join(TMP, "app-sendinput"),
                        ["--layout", "double", "--keys", DOUBLE_KEYS])
    window = padrelle.window()
    time.sleep(1)
    game.focus()
    client = client_of(window, full=full_screen(window))
    # Pad 0 opens the left group, pad 7 the right one (its first key, 25).
    for logical, code, what in (((333, 595), 0x1E, "pad 0"), ((682, 595), 0x25, "pad 7")):
        game.settle()
        since = game.mark()
        click(client, logical)
        game.wait_keys(since, [("make", code, 0), ("break", code, 0)], f"double play, {what}")
    if padrelle.close() != 0:
        raise Failure("double play: padrelle.exe did not end with exit code 0")
    log = read_file(os.path.join(appdata(), "padrelle.log"))
    if "layout: double" not in log:
        raise Failure(f"double play: the log does not name the layout:\n{log}")
    note("double play: the layout's keys from both groups reached the game")


def message_box_run(args, caption, code, what):
    app = os.path.join(TMP, "app-sendinput")
    padrelle = Padrelle(app, args)
    box = wait_for(60, f"{what}: no message box \"{caption}\"", lambda: find_window(caption))
    if find_window(TITLE):
        raise Failure(f"{what}: the controller's window opened before the message")
    run("wmctrl", "-F", "-c", caption)
    got = padrelle.exit_code(f"its message box ({what}) was closed")
    if got != code:
        raise Failure(f"{what}: exit code {got}, not {code}")
    note(f"diagnostics: {what}: a message box, then exit code {code} (box {box})")


def close_during_assignment():
    app = os.path.join(TMP, "app-standin")
    log = os.path.join(TMP, "standin-close.log")
    gate = os.path.join(TMP, "gate")
    with open(gate, "w") as handle:
        handle.write("0\n")
    padrelle = Padrelle(app, ["--assign"], env={
        "PADRELLE_STANDIN_KEYS": STANDIN_KEYS, "PADRELLE_STANDIN_LOG": windows_path(log),
        "PADRELLE_STANDIN_GATE": windows_path(gate)})
    padrelle.window()
    wait_for(60, "key assignment did not start", lambda: "gate key=0 closed" in read_file(log))
    started = time.time()
    code = padrelle.close("its window was closed during key assignment")
    if code != 0:
        raise Failure(f"closed during key assignment, padrelle.exe ended with exit code {code}")
    calls = [line.split()[1] + " " + (line.split()[3] if "filter=" in line else "")
             for line in read_file(log).splitlines() if " call=" in line
             and ("set_filter" in line or "destroy_context" in line)]
    if calls[-2:] != ["call=set_filter filter=0x0000", "call=destroy_context "]:
        raise Failure(f"closed during key assignment: the log ends with {calls[-2:]}")
    note(f"closed during key assignment: exit code 0 after {time.time() - started:.2f} s, the "
         f"filter cleared and the context destroyed")


def diagnostics():
    padrelle = Padrelle(os.path.join(TMP, "app-wrongarch"))
    padrelle.window()
    wanted = "interception.dll is the 32-bit file: this 64-bit padrelle.exe needs the one from " \
             "the x64 folder"
    wait_for(10, f"the log does not say \"{wanted}\"",
             lambda: wanted in read_file(os.path.join(appdata(), "padrelle.log")))
    if padrelle.close() != 0:
        raise Failure("padrelle.exe did not end with exit code 0")
    note("diagnostics: the 32-bit interception.dll is named as such; SendInput takes over")
    message_box_run(["--output", "interception"], "Padrelle: keyboard driver", 1,
                    "--output interception without the driver")
    message_box_run(["--frobnicate"], "Padrelle", 2, "an unknown option")
    message_box_run(["--layout", "no-such-layout.txt"], "Padrelle", 2,
                    "a layout file that is not there")
