"""padrelle.exe started and ended as a player would."""
import os
import subprocess

from e2e_inside.common import *  # noqa: F401,F403


class Padrelle:
    def __init__(self, app, args=(), env=None, in_job=False):
        """in_job: started by padrelle-in-job.exe, in a job that allows breakaway and kills
        its processes when it is closed (close_job); self.process is that starter's."""
        self.app = app
        environment = dict(os.environ)
        environment.update(env or {})
        # Named without .exe in the job's command line, so that only the program's own
        # process has a command line ending in padrelle.exe.
        command = ([WINE, os.path.join(TMP, "padrelle-in-job.exe"), "padrelle"] if in_job
                   else [WINE, "padrelle.exe"])
        self.process = subprocess.Popen([*command, *args], cwd=app, env=environment,
                                        stdin=subprocess.PIPE if in_job else None,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close_job(self):
        self.process.stdin.write(b"close\n")
        self.process.stdin.flush()

    def window(self):
        return wait_for(60, f'no window titled "{TITLE}" appeared', lambda: find_window(TITLE))

    def pid(self):
        return wait_for(10, "padrelle.exe has no process", lambda: wine_pid("padrelle.exe"))

    def close(self, what="the window"):
        run("wmctrl", "-F", "-c", TITLE)
        code = self.exit_code(what)
        if not wait_for_or_none(10, lambda: guard_pid() is None):
            log = read_file(os.path.join(appdata(), "padrelle.log")).splitlines()
            raise Failure(f"the guard outlived a clean exit; the log ends: {log[-3:]}")
        return code

    def exit_code(self, what):
        try:
            code = self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure(f"padrelle.exe did not end after {what}")
        return code
