"""One private wine prefix shared by the runs of a test: no display, quiet,
every run inside a time limit, the wine server stopped and the prefix removed
at the end."""
import os
import shutil
import subprocess
import tempfile
import time
from contextlib import contextmanager


def windows_path(path):
    """The path as a Windows program under wine sees it (drive Z: is /)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WineSession:
    def __init__(self):
        self.prefix = tempfile.mkdtemp(prefix="tidewell-e2e-wine.")
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "WINEDEBUG", "WINEDLLOVERRIDES")}
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")

    def __enter__(self):
        # One server for the whole session, kept running between programs, so
        # that each run does not start wine's services again; the prefix is
        # made once here.
        subprocess.run(["wineserver", "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.run_plain(["wineboot", "-i"], timeout=300)
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        subprocess.run(["timeout", "60", "wineserver", "-k"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["timeout", "60", "wineserver", "-w"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.prefix, ignore_errors=True)

    def _env(self, extra):
        env = dict(self.env)
        env.update(extra or {})
        return env

    def run_plain(self, argv, timeout=120, extra_env=None, cwd=None):
        """Runs `wine ARGV...` and answers (exit status, output text). The
        output goes through a file: wine's services, which outlive the
        program, would hold a pipe open."""
        with tempfile.TemporaryFile() as output:
            status = subprocess.run(["timeout", "--kill-after=10", str(timeout), "wine"] + argv,
                                    env=self._env(extra_env), cwd=cwd, stdin=subprocess.DEVNULL,
                                    stdout=output, stderr=subprocess.STDOUT).returncode
            output.seek(0)
            return status, output.read().decode("utf-8", "replace").replace("\r", "")

    def start(self, argv, extra_env=None):
        """Starts `wine ARGV...` in the background."""
        return subprocess.Popen(["timeout", "--kill-after=10", "180", "wine"] + argv,
                                env=self._env(extra_env), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def cmd(self, lines, folder, with_status=False):
        """Runs a batch of command lines in one start of cmd; answers its
        output, or (exit status, output) `with_status`."""
        script = os.path.join(folder, "batch.cmd")
        with open(script, "w", newline="\r\n") as out:
            out.write("@echo off\n" + "\n".join(lines) + "\n")
        result = self.run_plain(["cmd", "/c", windows_path(script)])
        return result if with_status else result[1]

    def local_app_data(self):
        """%LOCALAPPDATA% of the prefix's user, on this side."""
        users = os.path.join(self.prefix, "drive_c", "users")
        for name in os.listdir(users):
            folder = os.path.join(users, name, "AppData", "Local")
            if name != "Public" and os.path.isdir(folder):
                return folder
        raise RuntimeError("the wine prefix has no user folder")


@contextmanager
def held_open(wine, programs, path, scratch):
    """Keeps `path` open without sharing (the HoldOpen helper under wine) for
    the body of the with-statement."""
    ready, release = os.path.join(scratch, "held.ready"), os.path.join(scratch, "held.release")
    for flag in (ready, release):
        if os.path.exists(flag):
            os.remove(flag)
    holder = wine.start([windows_path(os.path.join(programs, "HoldOpen.exe")),
                         windows_path(path), windows_path(ready), windows_path(release)])
    try:
        deadline = time.monotonic() + 60
        while not os.path.exists(ready):
            if holder.poll() is not None:
                raise AssertionError("the helper could not hold %s open" % path)
            if time.monotonic() > deadline:
                raise AssertionError("the helper did not hold %s open in time" % path)
            time.sleep(0.05)
        yield
    finally:
        open(release, "w").close()
        holder.wait(timeout=60)
