"""What every part of the end-to-end test shares: its constants, waiting,
the X tools, the windows, files and figures."""
import importlib.util
import os
import re
import statistics
import subprocess
import sys
import time


# The scripts folder, where the test's other scripts lie.
HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TMP = os.environ["e2e_tmp"]
WINE = os.environ["wine"]
TITLE = "Padrelle v1.0"
GAME_TITLE = "Padrelle test game"
FULL_GAME_TITLE = "Padrelle test game, full screen"
FLOOR_TITLE = "Padrelle floor"
STARTED = time.time()
LATENCY_CLICKS = 40
LOADED_CLICKS = 30

# The stand-in's scripted keys, and the keys typed in the SendInput run:
# pads 0 to 8, clockwise, counter-clockwise.
STANDIN_KEYS = "1E,1F,20,21,22,23,24,25,26,e0:1D,2A"
TYPED = ["a", "s", "d", "f", "g", "h", "j", "k", "Right", "o", "p"]
TYPED_KEYS = [(0x1E, 0), (0x1F, 0), (0x20, 0), (0x21, 0), (0x22, 0), (0x23, 0), (0x24, 0),
              (0x25, 0), (0x4D, 1), (0x18, 0), (0x19, 0)]

PAD_CENTRES = [(755, 595), (831, 387), (907, 595), (983, 387), (1059, 595), (1135, 387),
               (1211, 595), (755, 105), (1211, 105)]
DISC_CENTRE = (4, 208)


class Failure(Exception):
    pass


def note(text):
    print(f"e2e: {text} ({time.time() - STARTED:.0f}s)", flush=True)


def wait_for(seconds, what, test, interval=0.05):
    deadline = time.time() + seconds
    while True:
        value = test()
        if value:
            return value
        if time.time() > deadline:
            raise Failure(f"{what} (not within {seconds} s)")
        time.sleep(interval)


def wait_for_or_none(seconds, test, interval=0.05):
    """The test's value once it holds, or None when it did not within the time."""
    try:
        return wait_for(seconds, "", test, interval)
    except Failure:
        return None


def run(*command, check=True):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if check and result.returncode != 0:
        raise Failure(f"{' '.join(command)} failed: {result.stderr.strip()}")
    return result.stdout.strip()


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def xdotool(*args):
    run("xdotool", *[str(a) for a in args])


def find_window(title):
    out = run("xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$", check=False)
    ids = out.split()
    return ids[0] if ids else None


def geometry(window):
    """x, y, width and height of an X window."""
    info = run("xwininfo", "-id", window, check=False)
    values = {}
    for key, pattern in (("x", r"Absolute upper-left X:\s+(-?\d+)"),
                         ("y", r"Absolute upper-left Y:\s+(-?\d+)"),
                         ("w", r"\n\s*Width:\s+(\d+)"), ("h", r"\n\s*Height:\s+(\d+)")):
        found = re.search(pattern, info)
        if not found:
            return None
        values[key] = int(found.group(1))
    return values["x"], values["y"], values["w"], values["h"]


def client_of(window, full=False):
    # The client edge of WS_EX_CLIENTEDGE is 2 pixels on every side; the
    # full-screen pop-up has none.
    x, y, w, h = geometry(window)
    edge = 0 if full else 2
    return x + edge, y + edge, w - 2 * edge, h - 2 * edge


def active_window_name():
    return run("xdotool", "getactivewindow", "getwindowname", check=False)


def screen_point(client, logical):
    cx, cy, cw, ch = client
    return cx + int(logical[0] * cw / 1280), cy + int(logical[1] * ch / 720)


def process_cpu_seconds(pid):
    """User and system CPU time of a process, all its threads."""
    with open(f"/proc/{pid}/stat") as handle:
        fields = handle.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def in_this_prefix(pid):
    """Whether a process belongs to this run's Wine prefix: other runs of the test may
    share the machine, with programs of the same names."""
    try:
        with open(f"/proc/{pid}/environ", "rb") as handle:
            variables = handle.read().split(b"\0")
    except OSError:
        return False
    return f"WINEPREFIX={os.environ['WINEPREFIX']}".encode() in variables


def wine_pid(name):
    """The Linux process of a running Windows program."""
    out = run("pgrep", "-f", name, check=False)
    pids = [int(p) for p in out.split() if in_this_prefix(int(p))]
    return pids[0] if pids else None


def padrelle_pids():
    """(main, guard) Linux processes of padrelle.exe in this run's prefix; None
    where there is none."""
    main = guard = None
    for pid in run("pgrep", "-f", "padrelle.exe", check=False).split():
        if not in_this_prefix(int(pid)):
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as handle:
                words = handle.read().split(b"\0")
        except OSError:
            continue
        if b"--guard" in words:
            guard = int(pid)
        elif any(w.lower().endswith(b"padrelle.exe") for w in words):
            main = int(pid)
    return main, guard


def guard_pid():
    return padrelle_pids()[1]


def screenshot(name):
    png = os.path.join(TMP, f"{name}.png")
    ppm = os.path.join(TMP, f"{name}.ppm")
    run("import", "-window", "root", png)
    run("convert", png, ppm)
    return ppm


def check_frame(shot, client, mode):
    result = subprocess.run([sys.executable, os.path.join(HERE, "e2e-check-frame.py"), shot,
                             *[str(v) for v in client], mode])
    if result.returncode != 0:
        raise Failure(f"frame {mode} ({shot})")


def appdata():
    users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users")
    for user in os.listdir(users):
        folder = os.path.join(users, user, "AppData", "Roaming", "Padrelle")
        if os.path.isdir(os.path.join(users, user, "AppData")):
            return folder
    raise Failure("no user folder in the Wine prefix")


def read_file(path):
    try:
        with open(path, encoding="latin-1") as handle:
            return handle.read()
    except OSError:
        return ""


def saved_keys():
    found = re.search(r"^keys default (.*)$", read_file(os.path.join(appdata(), "settings.txt")),
                      re.M)
    return found.group(1).split() if found else None


def key_name(code, e0):
    return f"{'e0:' if e0 else ''}{code:02X}"


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def figures(name, times):
    return (f"{name}: median {statistics.median(times):.2f} ms, 90th percentile "
            f"{percentile(times, 0.9):.2f} ms over {len(times)} clicks")


def full_screen(window):
    x, y, width, _ = geometry(window)
    return (x, y) == (0, 0) and width > 1284


def return_until(test, what):
    """Return pressed while the controller is active, again if it went unseen (as a player
    would), until the test holds."""
    for attempt in range(3):
        xdotool("keydown", "Return")
        time.sleep(0.2)
        xdotool("keyup", "Return")
        try:
            wait_for(4, what, test)
            return
        except Failure:
            if attempt == 2:
                raise


def load_frame_checks():
    """scripts/e2e-check-frame.py as a module, for its PPM reader."""
    spec = importlib.util.spec_from_file_location("frame_checks",
                                                  os.path.join(HERE, "e2e-check-frame.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def read_ppm(path):
    """Width, height and the RGB bytes of a binary PPM."""
    return load_frame_checks().read_ppm(path)


def pixel(image, x, y):
    width, _, data = image
    at = (y * width + x) * 3
    return tuple(data[at:at + 3])


def distance(a, b):
    return sum(abs(p - q) for p, q in zip(a, b))


def start_openbox(config=None):
    """openbox, with its own configuration or the one given."""
    process = subprocess.Popen(["openbox", "--sm-disable",
                                *(["--config-file", config] if config else [])],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(15, "openbox did not start", lambda: subprocess.run(
        ["wmctrl", "-m"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0)
    return process
