"""padrelle.exe started and ended as a player would."""
import os
import subprocess

from e2e_inside.common import *  # noqa: F401,F403


class Padrelle:
    def __init__(self, app, args=(), env=None):
        self.app = app
        environment = dict(os.environ)
        environment.update(env or {})
        self.process = subprocess.Popen([WINE, "padrelle.exe", *args], cwd=app, env=environment,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def window(self):
        return wait_for(60, f'no window titled "{TITLE}" appeared', lambda: find_window(TITLE))

    def pid(self):
        return wait_for(10, "padrelle.exe has no process", lambda: wine_pid("padrelle.exe"))

    def close(self, what="the window"):
        run("wmctrl", "-F", "-c", TITLE)
        code = self.exit_code(what)
        wait_for(10, "the guard outlived a clean exit", lambda: guard_pid() is None)
        return code

    def exit_code(self, what):
        try:
            code = self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure(f"padrelle.exe did not end after {what}")
        return code
