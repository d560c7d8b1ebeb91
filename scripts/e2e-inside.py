#!/usr/bin/env python3
"""The end-to-end test of padrelle.exe, run inside Xvfb by scripts/e2e.

Everything runs in one Wine prefix with openbox as window manager, beside the
project's test game (tools/test_game), which keeps the focus and logs every
key it receives and every mouse button the system sees. Padrelle is driven
from outside with xdotool and wmctrl, as a player would drive it:

1. with the stand-in interception.dll, which turns the strokes it is sent into
   real keys: key assignment from its scripted keyboard (frames checked on
   screenshots), the window, the Return toggle, clicks on the pads and a turn
   of the disc arriving in the game, the exit and the library's log;
2. without interception.dll (SendInput): the eleven keys typed and taken by
   the hook, clicks, a turn both ways, the click-to-key times beside those of
   a program that turns a click straight into SendInput, the idle CPU, the CPU
   while the disc turns, and a pad held while the window is closed;
3. a second start: the saved keys, play at once; Return to full screen;
4. a third start: full screen at once;
5. diagnostics: the 32-bit interception.dll, --output interception without
   the driver, an unknown option;
6. the phone's page in Chromium, its way in against a stand-in server, the
   QR code read off the screen, and the phone's handshake beside other
   devices' attacks; the phone's keys timed from the touch event, steady and
   at once, through a network with Wi-Fi's jitter and without; 3,500
   messages a second;
7. the overlay over the test game in borderless full screen: translucent
   pads with the game seen through them, a click on a pad its key in the
   game, a click elsewhere the game's own, the panel's MORE and WINDOW, the
   game the foreground window all along; then "Over the game" chosen from the
   window menu of the active controller (Alt+Space, the arrows, Return): the
   game has the foreground again and a pad clicked is its key there;
8. layouts that follow the game: layout files naming the test game and a
   second game (a copy under another name) come up as each is in front, the
   player's own when a third program is;
9. the layout editor (--edit): pad 0 dragged and resized by the mouse, a drag
   onto pad 1 refused in red, SAVE, the file holding the new place and a
   click there pad 0's key in the game;
10. the menu, by the mouse alone: the first start without a touch screen
   offering the phone (its QR code the address in the log), another layout,
   the keys asked again, SendInput, the phone off and on with a page in
   Chromium pressing a key, over the game and back, each choice found again
   at the next start.

Each part is a module of scripts/e2e_inside/: common (constants, waiting,
the X tools, files, figures), game (the test game and timed clicks),
program (padrelle.exe's process), real_input (parts 1 to 5), phone (6, with
admission), overlay (7), editor (8 and 9), menu (10). This file runs them in
order.

Environment (set by scripts/e2e): e2e_tmp (the staging folder with app-standin,
app-sendinput, app-wrongarch and the test game), wine, wineserver.
"""

import os
import statistics
import sys

from e2e_inside.editor import editor_run, follow_run
from e2e_inside.common import Failure, TMP, STANDIN_KEYS, figures, note, percentile, run, \
    start_openbox, windows_path
from e2e_inside.game import Game
from e2e_inside.menu import menu_run
from e2e_inside.overlay import overlay_run, window_menu_run
from e2e_inside.phone import admission_run, page_retries, remote_run, socket_wait_check
from e2e_inside.phone_timing import rate_run, timing_run
from e2e_inside.real_input import close_during_assignment, diagnostics, hard_kill, later_start, \
    layout_run, sendinput_run, stand_in_run


def main():
    run("openbox", "--version")
    openbox = [start_openbox()]
    results = {}
    sendinput = os.path.join(TMP, "app-sendinput")
    standin = os.path.join(TMP, "app-standin")
    parts = [
        ("stand-in", lambda game: stand_in_run(game)),
        ("sendinput", lambda game: sendinput_run(game, results)),
        ("later-starts", lambda game: (later_start(game, 3, 0x21, False, "second start"),
                                       later_start(game, 4, 0x22, True, "third start"))),
        ("layouts", lambda game: layout_run(game)),
        ("socket-wait", lambda game: socket_wait_check()),
        ("page", lambda game: page_retries()),
        ("remote", lambda game: remote_run(game, results)),
        ("admission", lambda game: admission_run(results)),
        ("phone-timing", lambda game: timing_run(game, results)),
        ("phone-rate", lambda game: rate_run(game, results)),
        ("hard-kill", lambda game: (
            hard_kill(game, sendinput, [], None, 5, 0x23, 0, "hard kill, SendInput"),
            hard_kill(game, sendinput, [], None, 7, 0x25, 0, "end process tree, SendInput",
                      tree=True),
            hard_kill(game, sendinput, [], None, 4, 0x22, 0, "a job closed, SendInput",
                      job=True),
            hard_kill(game, standin, ["--keys", STANDIN_KEYS],
                      {"PADRELLE_STANDIN_KEYS": STANDIN_KEYS, "PADRELLE_STANDIN_INJECT": "1",
                       "PADRELLE_STANDIN_LOG": windows_path(os.path.join(TMP,
                                                                         "standin-kill.log"))},
                      6, 0x24, 0, "hard kill, the driver"))),
        ("close-during-assignment", lambda game: close_during_assignment()),
        ("diagnostics", lambda game: diagnostics()),
        ("overlay", lambda game: overlay_run(openbox)),
        ("window-menu", lambda game: window_menu_run(game, openbox)),
        ("follow", lambda game: follow_run(game)),
        ("editor", lambda game: editor_run(game)),
        ("menu", lambda game: menu_run(game)),
    ]
    # PADRELLE_E2E_ONLY=remote,overlay runs those parts alone (while working
    # on them); the test command runs every part.
    only = [name for name in os.environ.get("PADRELLE_E2E_ONLY", "").split(",") if name]
    try:
        game = Game()
        note("the test game has the focus")
        for name, part in parts:
            if not only or name in only:
                part(game)
    finally:
        openbox[0].kill()
    if only:
        return 0
    print_figures(results)
    return 0


def print_figures(results):
    """The run's figures, for the README."""
    print(f"e2e: click to key, {figures('padrelle.exe (SendInput)', results['padrelle'])}")
    print(f"e2e: click to key, {figures('click straight into SendInput', results['floor'])}")
    print(f"e2e: click to key under load, "
          f"{figures('padrelle.exe (SendInput)', results['padrelle-loaded'])}")
    print(f"e2e: click to key under load, "
          f"{figures('click straight into SendInput', results['floor-loaded'])}")
    for label, ours, floor in (("without load", "padrelle", "floor"),
                               ("with every core busy", "padrelle-loaded", "floor-loaded")):
        print(f"e2e: padrelle.exe / floor {label}: median "
              f"{statistics.median(results[ours]) / statistics.median(results[floor]):.2f}, "
              f"90th percentile "
              f"{percentile(results[ours], 0.9) / percentile(results[floor], 0.9):.2f}")
    # The remote run's touches and clicks, each from where it is made: the
    # page's send beside the X server's press; and from later points.
    print(f"e2e: remote touch to key, "
          f"{figures('from the page sending it', results['remote-page'])}")
    print(f"e2e: remote touch to key, mouse click to key in the same run, "
          f"{figures('from the X server making the press', results['remote-mouse-x'])}")
    print(f"e2e: remote touch to key, page send minus X press at the median: "
          f"{statistics.median(results['remote-page']) - statistics.median(results['remote-mouse-x']):+.2f} ms")
    print(f"e2e: remote touch to key, "
          f"{figures('from the browser driver dispatching the touch', results['remote'])}")
    print(f"e2e: remote touch to key, mouse click to key in the same run, "
          f"{figures('from the system mouse hook seeing the press', results['remote-mouse'])}")
    for what, times in results.get("admission", {}).items():
        print(f"e2e: the phone's handshake on padrelle.exe beside {what}: "
              f"{', '.join(f'{t * 1000:.0f}' for t in times)} ms")
    for name, f in results.get("timing", {}).items():
        print(f"e2e: the phone's keys from the touch event, {name}: median {f['median']:.2f} ms, "
              f"spread {f['spread']:.2f} ms, {f['late']} late of {f['events']}")
    if "rate" in results:
        print(f"e2e: 3,500 messages a second: the break {results['rate']['after_ms']:.1f} ms after "
              f"the lift, {results['rate']['us_per_message']:.0f} us of padrelle.exe's CPU and "
              f"{results['rate']['server_us_per_message']:.0f} us of Wine's server a message")
    print(f"e2e: close to the last break with a phone connected: "
          f"{results['close-remote']:.1f} ms")
    print(f"e2e: CPU-seconds a second: {results['idle']:.3f} idle in play, "
          f"{results['turning']:.3f} while the mouse turns the disc")


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print(f"e2e: FAILED: {failure}", file=sys.stderr)
        sys.exit(1)

