"""The update client's window under wine and Xvfb: version 1 of the small
product taken to version 2 through the pages, driven by the client's test
hooks (the pages' own buttons and keys), and the rules of the window: cancel
changes nothing, a declined version is not offered again, the n-th start,
errors shown or only logged, the main executable in use.

    client_window_test.py --bin BUILD/bin --programs BUILD/client-e2e-programs
                          [--screenshots DIR] [unittest options]

Exits 77 (counted as skipped) when wine or Xvfb is not installed.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zlib
import struct

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from client_update_test import parse_registry  # noqa: E402
from loopback_server import STATUS, LoopbackServer  # noqa: E402
from product import (CHECK_NOW, CLIENT, COMPANY, STATE_KEY, TITLE, Product, digests,  # noqa: E402
                     installed_version, snapshot)
from wine_session import WineSession, held_open, windows_path  # noqa: E402

ARGS = None
PAGES = ("welcome", "reason", "terms", "download", "install", "complete")
THROUGH = "next,next,accept,next,next"  # welcome, reason, terms (accept first), complete: Finish


class SlowServer(LoopbackServer):
    """The loopback server, sending the files below /files/ at `rate` bytes
    a second when it is set, so that a test sees a download under way."""

    rate = 0

    def _answer(self, handler, send_body):
        if self.rate and handler.path.startswith("/files/"):
            write, rate = handler.wfile.write, self.rate

            def slow(data):
                for at in range(0, len(data), 16384):
                    write(data[at:at + 16384])
                    time.sleep(16384 / rate)
            handler.wfile.write = slow
        super()._answer(handler, send_body)


class Xvfb:
    """A private X display for the client's windows."""

    def __enter__(self):
        for number in range(91, 140):
            if not os.path.exists("/tmp/.X11-unix/X%d" % number) and not os.path.exists("/tmp/.X%d-lock" % number):
                break
        self.display = ":%d" % number
        self.process = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while not os.path.exists("/tmp/.X11-unix/X%d" % number):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("Xvfb did not start on " + self.display)
            time.sleep(0.05)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=20)


def bmp_to_png(bmp_path, png_path):
    """A 24-bit bottom-up bitmap file as a PNG file."""
    with open(bmp_path, "rb") as source:
        data = source.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24 or height <= 0:
        raise ValueError(bmp_path + " is not a 24-bit bottom-up bitmap")
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(data[offset + y * stride:offset + y * stride + width * 3])
        row[0::3], row[2::3] = row[2::3], row[0::3]  # BGR to RGB
        rows += b"\0" + row

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    os.makedirs(os.path.dirname(png_path), exist_ok=True)
    with open(png_path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


# The texts of the pages, in the server file; the welcome text is the tool's default.
TEXTS = {"Reason": "Version 2 brings a longer guide and a new introduction.",
         "License": "1. You may use this product.\r\n2. You may not sell it.",
         "InstallComplete": "Version 2 is installed. Enjoy it, %Login%!",
         "UpdateNotNeeded": "You already have the latest version."}


class ClientWindowTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="tidewell-window.")
        cls.app = os.path.join(cls.scratch, "installed")
        cls.shots = os.path.join(cls.scratch, "shots")
        os.makedirs(cls.shots)
        cls.product = Product(cls.scratch, ARGS.programs, os.path.join(ARGS.bin, "tidewell-cli"))
        cls.server = SlowServer(os.path.join(cls.scratch, "server")).__enter__()
        cls.product.make_project(cls.server.url())
        cls.settings = os.path.join(cls.product.project, "Settings.xml")
        # A "Normal" update with every page; clients built with different switches.
        cls.cli("set", cls.settings, "UpdateType=Normal", "flag.ShowReason=on", "flag.ShowLicense=on",
                "flag.ShowInstallComplete=on", "flag.ShowUpdateNotNeeded=on", "flag.WarnOnExit=on",
                *["%s=%s" % item for item in TEXTS.items()])
        # The server file (with its signature file) offering each version the tests serve.
        cls.published = {version: cls.signed_server_file(version) for version in ("2.1", "1.0", "2.0")}
        cls.server_v2 = cls.published["2.0"]
        cls.clients = {
            "shows errors, waits for the next version": cls.client("flag.AllowDisplayOfErrors=on", "Reprompt=1"),
            "logs errors, always reprompts": cls.client("flag.AllowDisplayOfErrors=off", "Reprompt=0"),
            "every third start": cls.client("Reprompt=0", "Frequency=2"),
        }
        cls.serve(cls.server_v2)
        # The prefix's desktop is made on the display, so every window is drawn there.
        cls.xvfb = Xvfb().__enter__()
        cls.wine = WineSession()
        cls.wine.env["DISPLAY"] = cls.xvfb.display
        cls.wine.__enter__()
        cls.log = os.path.join(cls.wine.local_app_data(), "Tidewell", COMPANY, TITLE, "update.log")
        with open(os.path.join(cls.scratch, "v1.reg"), "w", encoding="utf-16", newline="") as out:
            out.write(Product.REGISTRY_V1)

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        cls.xvfb.__exit__()
        cls.server.stop()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    @classmethod
    def cli(cls, *argv):
        cls.product.run_cli(list(argv))

    @classmethod
    def signed_server_file(cls, version):
        # The tool offers only versions above the application's: version 1.0
        # is made as an update of 0.9 (the client compares with what it installed).
        app_version = "0.9" if version == "1.0" else "1.0"
        cls.cli("set", cls.settings, "AppVersion=0.9", "UpdateVersion=" + version, "AppVersion=" + app_version)
        cls.cli("build", cls.settings, "--xml")
        with open(cls.product.server_file, "rb") as xml, open(cls.product.server_file + ".sig", "rb") as sig:
            return xml.read(), sig.read()

    @classmethod
    def client(cls, *assignments):
        cls.cli("set", cls.settings, *assignments)
        cls.cli("build", cls.settings, "--client")
        with open(os.path.join(cls.product.project, CLIENT), "rb") as source:
            return source.read()

    @classmethod
    def serve(cls, published):
        """Puts a server file and its signature file on the server."""
        for name, data in zip(("UpdateConfig.xml", "UpdateConfig.xml.sig"), published):
            with open(os.path.join(cls.server.root, name), "wb") as out:
                out.write(data)

    # Version 1 installed with the client `which`, its registry, no client state.
    def install(self, which):
        self.server.reset()
        self.server.rate = 0
        self.serve(self.server_v2)
        self.product.client = self.clients[which]
        self.product.install_v1(self.app)
        self.v1 = digests(self.product.installed_v1(self.product.client))
        self.v2 = digests(self.product.installed_v2(self.product.client))
        self.wine.cmd(['reg delete "HKCU\\Software\\TidewellE2E" /f >nul 2>&1',
                       'reg delete "HKCU\\Software\\Tidewell" /f >nul 2>&1',
                       'reg import "%s" >nul 2>&1' % windows_path(os.path.join(self.scratch, "v1.reg"))],
                      self.scratch)

    def run_client(self, answers="", argument=CHECK_NOW, timeout=90):
        """Runs the client on the display with the test answers; answers its
        exit status and the lines it added to its log."""
        before = os.path.getsize(self.log) if os.path.exists(self.log) else 0
        env = {"TIDEWATCH_TEST_ANSWERS": answers,
               "TIDEWATCH_TEST_SNAPSHOTS": windows_path(self.shots)}
        argv = [windows_path(os.path.join(self.app, CLIENT))] + ([argument] if argument else [])
        status, _ = self.wine.run_plain(argv, timeout=timeout, extra_env=env, cwd=self.app)
        added = ""
        if os.path.exists(self.log):
            with open(self.log, "rb") as log:
                log.seek(before if os.path.getsize(self.log) >= before else 0)
                added = log.read().decode("utf-8", "replace")
        return status, added

    def state(self, name):
        text = self.wine.cmd(['reg query "%s" /v %s' % (STATE_KEY.replace("HKEY_CURRENT_USER", "HKCU"), name)],
                             self.scratch)
        for line in parse_registry(text).get(STATE_KEY, ()):
            if line.startswith(name + " "):
                return line.split(" ", 2)[2]
        return None

    def with_version(self, version):
        """The signed server file offering `version` instead of 2.0."""
        return self.published[version.decode()]

    def files_requested(self):
        return [p for p, _ in self.server.requested() if p.startswith("/files/")]

    def assertUnchanged(self, status, log, what):
        self.assertEqual(status, 2, what + ": exit status; log:\n" + log)
        self.assertEqual(snapshot(self.app), self.v1, what + ": the installed files changed")
        self.assertIsNone(installed_version(self.app), what + ": InstalledVersion")
        self.assertFalse(os.path.isdir(os.path.join(self.app, "~tidewell")), what + ": the work folder is left")

    def test_update_through_the_pages(self):
        self.install("shows errors, waits for the next version")
        for name in os.listdir(self.shots):
            os.remove(os.path.join(self.shots, name))
        self.server.rate = 1 << 20  # about a second for the download
        status, log = self.run_client(THROUGH)
        self.assertEqual(status, 0, "exit status; log:\n" + log)
        self.assertEqual(snapshot(self.app), self.v2, "the installed files")
        self.assertEqual(installed_version(self.app), "2.0")
        shown = sorted(n[len("client-"):-len(".bmp")] for n in os.listdir(self.shots))
        self.assertEqual(shown, sorted(PAGES), "the pages shown")
        if ARGS.screenshots:
            for page in PAGES:
                bmp_to_png(os.path.join(self.shots, "client-%s.bmp" % page),
                           os.path.join(ARGS.screenshots, "client-%s.png" % page))

    # The keyboard alone: Enter for Next, Alt+A for "I accept"; Enter on the
    # terms before accepting does nothing, Escape cancels.
    def test_keyboard(self):
        self.install("logs errors, always reprompts")
        status, log = self.run_client("key-enter,key-enter,key-enter,key-escape")
        self.assertUnchanged(status, log, "Escape on the terms")
        self.assertEqual(self.files_requested(), [], "Enter on the terms before accepting moved on")
        self.install("logs errors, always reprompts")
        status, log = self.run_client("key-enter,key-enter,key-alt-a,key-enter,next")
        self.assertEqual(status, 0, "keyboard run: exit status; log:\n" + log)
        self.assertEqual(snapshot(self.app), self.v2, "keyboard run: the installed files")

    def test_cancel_changes_nothing_and_the_declined_version_is_not_offered_again(self):
        self.install("shows errors, waits for the next version")
        # Cancel during the download; warn on exit asks first.
        self.server.rate = 256 * 1024
        status, log = self.run_client("next,next,accept,next,progress,cancel,box-yes")
        self.assertUnchanged(status, log, "cancelled download")
        self.assertIn("message: The update is being downloaded.", log)
        self.assertTrue(self.files_requested(), "the download had not started")
        self.assertEqual(self.state("DeclinedVersion"), "2.0")
        # Not offered again: no window, nothing downloaded.
        self.server.reset()
        status, log = self.run_client("", timeout=60)
        self.assertEqual(status, 0, "declined version: exit status; log:\n" + log)
        self.assertIn("version 2.0 is not offered", log)
        self.assertEqual(self.files_requested(), [])
        # A later version is.
        self.serve(self.with_version(b"2.1"))
        status, log = self.run_client(THROUGH)
        self.assertEqual(status, 0, "later version: exit status; log:\n" + log)
        self.assertEqual(snapshot(self.app), self.v2)
        self.assertEqual(installed_version(self.app), "2.1")

    def test_cancel_on_the_welcome_page_always_reprompts(self):
        self.install("logs errors, always reprompts")
        status, log = self.run_client("cancel")
        self.assertUnchanged(status, log, "cancel on the welcome page")
        self.assertEqual(self.files_requested(), [])
        self.assertIsNone(self.state("DeclinedVersion"))
        status, log = self.run_client(THROUGH)
        self.assertEqual(status, 0, "offered again: exit status; log:\n" + log)

    def test_every_third_start(self):
        self.install("every third start")
        checks = []
        for start in range(1, 8):
            self.server.reset()
            # The check-now tag on the fourth start checks without counting.
            status, log = self.run_client("cancel", argument=CHECK_NOW if start == 4 else None)
            checks.append(any(p.startswith("/UpdateConfig.xml") for p, _ in self.server.requested()))
            self.assertEqual(status, 2 if checks[-1] else 0, "start %d; log:\n%s" % (start, log))
        self.assertEqual(checks, [False, False, True, True, False, False, True])

    def test_error_shown_or_only_logged(self):
        for which, shown in (("shows errors, waits for the next version", True),
                             ("logs errors, always reprompts", False)):
            with self.subTest(which):
                self.install(which)
                self.server.faults["/files/Library.dll"] = (STATUS, 404)
                status, log = self.run_client("next,next,accept,next,box-ok")
                self.assertEqual(status, 1, "exit status; log:\n" + log)
                self.assertEqual(snapshot(self.app), self.v1)
                self.assertRegex(log, r"error: the server answered 404 for \S+/files/Library.dll")
                message = re.search(r"message: The update of Update Test Product could not be completed\..*", log)
                if shown:
                    self.assertTrue(message, "no message box; log:\n" + log)
                    self.assertIn("What failed: the server answered 404", message.group(0))
                    self.assertIn("What you can do: Check your connection", message.group(0))
                else:
                    self.assertIsNone(message, "a message box was shown")

    def test_update_not_needed(self):
        self.install("logs errors, always reprompts")
        self.serve(self.with_version(b"1.0"))
        status, log = self.run_client("next")
        self.assertEqual(status, 0, "exit status; log:\n" + log)
        self.assertTrue(os.path.exists(os.path.join(self.shots, "client-notneeded.bmp")))
        if ARGS.screenshots:
            bmp_to_png(os.path.join(self.shots, "client-notneeded.bmp"),
                       os.path.join(ARGS.screenshots, "client-notneeded.png"))

    # The main executable running: the user is asked to close it, Retry looks
    # again, Cancel gives up with nothing changed.
    def test_main_executable_in_use(self):
        self.install("logs errors, always reprompts")
        with held_open(self.wine, ARGS.programs, os.path.join(self.app, "App.exe"), self.scratch):
            status, log = self.run_client("next,next,accept,next,box-retry,box-cancel")
        self.assertUnchanged(status, log, "main executable in use")
        self.assertEqual(log.count("message: Update Test Product is running (App.exe)"), 2, log)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--programs", required=True)
    parser.add_argument("--screenshots", help="where the pages are saved as client-*.png")
    ARGS, rest = parser.parse_known_args()
    if not all(shutil.which(p) for p in ("wine", "timeout", "Xvfb")):
        print("wine or Xvfb is not installed: the client window's test is skipped")
        sys.exit(77)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
