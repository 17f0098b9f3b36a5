"""The update client, built by the tool, updating version 1 of a small product
to version 2 under wine from a loopback server, and every fault it must
survive with version 1 left exactly as it was.

    client_update_test.py --bin BUILD/bin --programs BUILD/client-e2e-programs [unittest options]

Exits 77 (counted as skipped) when wine is not installed.
"""
import argparse
import contextlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from loopback_server import DROP, DROP_ONCE, HTML, SIZE, STATUS, LoopbackServer  # noqa: E402
from product import (CHECK_NOW, CLIENT, COMPANY, MARKS, PRODUCT_KEY, STATE_KEY, STATE_FILE, TITLE,  # noqa: E402
                     OLD_TIME, Product, digests, installed_version, snapshot)
from wine_session import WineSession, held_open, windows_path  # noqa: E402

ARGS = None
INTRO = "/files/media/intro.bin"  # 1 MiB, the file cut in the middle


def _read(path):
    with open(path, "rb") as source:
        return source.read()


def _write_bytes(path, data):
    with open(path, "wb") as out:
        out.write(data)


def _public_hex(key_file):
    """The public key's hexadecimal digits from a key file's "public ed25519" line."""
    return [line[len("public ed25519 "):] for line in key_file.decode().splitlines()
            if line.startswith("public ed25519 ")][0]


def parse_registry(text):
    """`reg query /s` output as {key: set of "name TYPE data" lines}."""
    keys, current = {}, None
    for line in text.splitlines():
        line = " ".join(line.split())
        if line.upper().startswith("HKEY_"):
            current = keys.setdefault(line, set())
        elif line and current is not None and " REG_" in line:
            current.add(line)
    return keys


class ClientUpdateTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="tidewell-e2e.")
        cls.app = os.path.join(cls.scratch, "installed")
        cls.marks = os.path.join(cls.scratch, "marks.txt")
        cls.product = Product(cls.scratch, ARGS.programs, os.path.join(ARGS.bin, "tidewell-cli"))
        cls.server = LoopbackServer(os.path.join(cls.scratch, "server")).__enter__()
        cls.product.make_project(cls.server.url())
        cls.wine = WineSession().__enter__()
        cls.log = os.path.join(cls.wine.local_app_data(), "Tidewell", COMPANY, TITLE, "update.log")
        cls.v1 = digests(cls.product.installed_v1(cls.product.client))
        cls.v2 = digests(cls.product.installed_v2(cls.product.client))
        with open(os.path.join(cls.scratch, "v1.reg"), "w", encoding="utf-16", newline="") as out:
            out.write(Product.REGISTRY_V1)

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        cls.server.stop()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    # Version 1 installed, its registry as its installer left it, no client
    # state unless what the client keeps per user is to stay.
    def fresh_v1(self, keep_client_state=False):
        self.server.reset()
        self.product.install_v1(self.app)
        if os.path.exists(self.marks):
            os.remove(self.marks)
        setup = ['reg delete "HKCU\\Software\\TidewellE2E" /f >nul 2>&1',
                 'reg import "%s"' % windows_path(os.path.join(self.scratch, "v1.reg"))]
        if not keep_client_state:
            setup.insert(0, 'reg delete "HKCU\\Software\\Tidewell" /f >nul 2>&1')
        # wine's own reg tool now and then comes back with nothing at all: the
        # setup, not the client, is then tried once more, and what it said is shown.
        for attempt in range(2):
            status, text = self.wine.cmd(setup + self.registry_queries(), self.scratch, with_status=True)
            self.registry_v1 = parse_registry(text)
            if PRODUCT_KEY + "\\OldCache" in self.registry_v1:
                break
            print("  version 1's registry setup came back without it (exit %d):\n%s" % (status, text), file=sys.stderr)
        self.assertIn(PRODUCT_KEY + "\\OldCache", self.registry_v1, "version 1's registry was not set up")

    def run_client(self, extra_env=None):
        """Runs the client with its check-now tag; answers its exit status and
        the lines it added to its log."""
        before = os.path.getsize(self.log) if os.path.exists(self.log) else 0
        # Only the main executable is waited for; 2 s keep a wrongly waiting client quick.
        env = {"TIDEWELL_E2E_MARKS": windows_path(self.marks), "TIDEWATCH_TEST_IN_USE_WAIT_MS": "2000"}
        env.update(extra_env or {})
        started = time.monotonic()
        status, _ = self.wine.run_plain([windows_path(os.path.join(self.app, CLIENT)), CHECK_NOW],
                                        timeout=120, extra_env=env, cwd=self.app)
        print("  client run: exit %d in %.1f s" % (status, time.monotonic() - started), file=sys.stderr)
        added = ""
        if os.path.exists(self.log):
            with open(self.log, "rb") as log:
                log.seek(before if os.path.getsize(self.log) >= before else 0)
                added = log.read().decode("utf-8", "replace")
        return status, added

    def registry(self):
        """The product's keys and the client's state, as `reg query` shows them."""
        return parse_registry(self.wine.cmd(self.registry_queries(), self.scratch))

    @staticmethod
    def registry_queries():
        return ['reg query "%s" /s' % PRODUCT_KEY.replace("HKEY_CURRENT_USER", "HKCU"),
                'reg query "%s"' % STATE_KEY.replace("HKEY_CURRENT_USER", "HKCU")]

    def state_value(self, name):
        """A value the client keeps per user, as `reg query` shows it after its type."""
        for line in self.registry().get(STATE_KEY, ()):
            if line.startswith(name + " REG_"):
                return line.split(" ", 2)[2] if line.count(" ") >= 2 else ""
        return None

    def read_marks(self, expected, wait=10.0):
        """The marks' lines, waiting up to `wait` seconds for `expected` of
        them: the client starts programs without waiting for them."""
        deadline = time.monotonic() + wait
        while True:
            lines = []
            if os.path.exists(self.marks):
                with open(self.marks, encoding="utf-8") as marks:
                    lines = marks.read().splitlines()
            if len(lines) >= expected or time.monotonic() > deadline:
                return lines
            time.sleep(0.1)

    def assertFiles(self, expected, what):
        found = snapshot(self.app)
        missing = sorted(set(expected) - set(found))
        extra = sorted(set(found) - set(expected))
        differ = sorted(n for n in set(found) & set(expected) if found[n] != expected[n])
        self.assertFalse(missing or extra or differ, "%s: missing %s, unexpected %s, different %s"
                         % (what, missing, extra, differ))

    def assertVersion1Intact(self, status, log, what):
        self.assertEqual(status, 1, what + ": exit status")
        self.assertFiles(self.v1, what + ": the installed files")
        registry = self.registry()
        self.assertEqual({k: v for k, v in registry.items() if k != STATE_KEY},
                         {k: v for k, v in self.registry_v1.items() if k != STATE_KEY},
                         what + ": the product's registry")
        self.assertIsNone(installed_version(self.app), what + ": the installation's record")
        self.assertIn("error:", log, what + ": no error line in the log:\n" + log)

    def assertVersion2(self, status, log, what):
        self.assertEqual(status, 0, what + ": exit status; log:\n" + log)
        self.assertFiles(self.v2, what + ": the installed files")
        registry = self.registry()
        product = {k: v for k, v in registry.items() if k != STATE_KEY}
        self.assertEqual(product, parse_registry("\n".join(Product.REGISTRY_V2)), what + ": the registry")
        self.assertEqual(installed_version(self.app), "2.0", what + ": the installation's record")

    def test_update_then_nothing_to_do(self):
        self.fresh_v1()
        status, log = self.run_client()
        self.assertVersion2(status, log, "update")
        requests = [path for path, _ in self.server.requested()]
        self.assertTrue(any(p.startswith("/UpdateConfig.xml?ed=Pro") for p in requests),
                        "the server file was not asked for with the edition read from the registry: %s"
                        % requests)
        self.assertFalse(any("legacy" in p or "Tool.exe" in p for p in requests),
                         "files the conditions leave out were downloaded: %s" % requests)
        # Each point's program once, in the application's folder; the
        # restarted main executable is version 2.
        folder = windows_path(self.app).lower()
        lines = [line.lower() for line in self.read_marks(len(MARKS) + 1)]
        restarted = [line for line in lines if line.startswith("app.exe|")]
        self.assertEqual(sorted(set(lines) - set(restarted)),
                         sorted("%s||%s" % (name.lower(), folder) for name in MARKS.values()), "the executions' marks")
        self.assertEqual([line.split("|")[1] for line in restarted], ["2.0"], "the restarted main executable")
        self.assertFalse(os.listdir(os.path.join(self.app, "~tidewell"))
                         if os.path.isdir(os.path.join(self.app, "~tidewell")) else [],
                         "the work folder was not emptied")

        self.server.reset()
        os.remove(self.marks)
        before = snapshot(self.app)
        status, log = self.run_client()
        self.assertEqual(status, 0, "second run: exit status; log:\n" + log)
        self.assertEqual(snapshot(self.app), before, "second run changed the installed files")
        self.assertEqual([p for p, _ in self.server.requested() if not p.startswith("/UpdateConfig.xml")], [],
                         "second run downloaded files")
        self.assertEqual(self.read_marks(1, wait=2.0), [], "second run started programs")
        self.assertEqual(installed_version(self.app), "2.0")

    # A connection cut in the middle of a file every time: nothing changes,
    # and the next run succeeds.
    def test_dropped_connection(self):
        self.fresh_v1()
        self.server.faults[INTRO] = (DROP, 400000)
        status, log = self.run_client()
        self.assertVersion1Intact(status, log, "connection dropped")
        self.server.reset()
        status, log = self.run_client()
        self.assertVersion2(status, log, "the run after the dropped connection")

    # A connection cut once: the download goes on from where it stopped, or,
    # from a server that ignores ranges, starts again.
    def test_dropped_once_resumed(self):
        for ignore_range in (False, True):
            with self.subTest(server_ignores_range=ignore_range):
                self.fresh_v1()
                self.server.faults[INTRO] = (DROP_ONCE, 400000)
                self.server.ignore_range = ignore_range
                status, log = self.run_client()
                self.assertVersion2(status, log, "a resumed download")
                ranges = [r for p, r in self.server.requested() if p == INTRO and r]
                self.assertTrue(any(r.startswith("bytes=") and not r.startswith("bytes=0-") for r in ranges),
                                "the download was not resumed by range: %s" % ranges)

    def test_faults_leave_version_1(self):
        cases = [
            ("wrong size", "/files/Library.dll", (SIZE, 7)),
            ("404", "/files/docs/new.txt", (STATUS, 404)),
            ("HTML instead of the server file", "/UpdateConfig.xml", (HTML,)),
        ]
        for what, path, fault in cases:
            with self.subTest(what):
                self.fresh_v1()
                self.server.faults[path] = fault
                status, log = self.run_client()
                self.assertVersion1Intact(status, log, what)
                if fault[0] == HTML:
                    self.assertEqual([p for p, _ in self.server.requested() if p.startswith("/files/")], [],
                                     "files were downloaded after an unreadable server file")

    # The client the tool built carries the project's public key: every
    # change to what the publisher signed is refused before anything changes.
    def test_tampered_updates_leave_version_1(self):
        root = self.server.root
        server_file = _read(os.path.join(root, "UpdateConfig.xml"))
        signature = _read(os.path.join(root, "UpdateConfig.xml.sig"))
        readme = self.product.v2["readme.txt"]
        # The same files signed with a key of another publisher.
        other_key = os.path.join(self.scratch, "other.key")
        if not os.path.exists(other_key):
            self.product.run_cli(["keygen", "--out", other_key])
        self.product.run_cli(["build", self.product.settings, "--xml", "--key", other_key])
        other_signature = _read(os.path.join(self.product.project, "UpdateConfig.xml.sig"))
        digit = signature.index(b" readme.txt") - 1  # the last digit of the readme's digest
        cases = [
            ("a changed byte in the server file", "UpdateConfig.xml",
             server_file.replace(b"\r\n</Tidemark>", b" \n</Tidemark>", 1), "differs from the signed one"),
            ("a changed byte in a served file", "files/readme.txt", bytes([readme[0] ^ 0x20]) + readme[1:],
             "readme.txt differs from the signed file"),
            ("a changed byte in the signature file", "UpdateConfig.xml.sig",
             signature[:digit] + (b"1" if signature[digit:digit + 1] == b"0" else b"0") + signature[digit + 1:],
             "signature does not match its content"),
            ("a signature file from another key", "UpdateConfig.xml.sig", other_signature, "signed by another key"),
            ("no signature file", "UpdateConfig.xml.sig", None, "has no signature file"),
        ]
        for what, name, data, reason in cases:
            with self.subTest(what):
                self.fresh_v1()
                path = os.path.join(root, *name.split("/"))
                original = _read(path)
                try:
                    if data is None:
                        os.remove(path)
                    else:
                        _write_bytes(path, data)
                    status, log = self.run_client()
                finally:
                    _write_bytes(path, original)
                self.assertVersion1Intact(status, log, what)
                self.assertIn(reason, log, what + ": the log does not say why:\n" + log)

    # A new key introduced by a signature file that the old key signed: the
    # client moves to it for good and then refuses the old key.
    def test_key_change(self):
        root, keys = self.server.root, os.path.join(self.product.config, "Tidewell", "keys")
        published = {name: _read(os.path.join(root, name)) for name in ("UpdateConfig.xml", "UpdateConfig.xml.sig")}
        old_key = _read(os.path.join(keys, "Product.key"))
        settings = self.product.settings
        try:
            self.product.run_cli(["keygen", settings, "--replace"])
            self.product.run_cli(["build", settings, "--xml"])
            self.product.publish()
            self.fresh_v1()
            status, log = self.run_client()
            self.assertVersion2(status, log, "signed with a new key, the change signed with the old one")
            # The client keeps the change it followed, which only retires the old key.
            followed = "%s %s" % (_public_hex(old_key), _public_hex(_read(os.path.join(keys, "Product.key"))))
            self.assertEqual(self.state_value("RetiredUpdateKeys"), followed, "the key change the client followed")

            retired = [name for name in os.listdir(keys) if name.endswith(".retired.key")]
            self.assertEqual(len(retired), 1, "the old key is kept beside the new one: %s" % os.listdir(keys))
            self.product.run_cli(["set", settings, "UpdateVersion=3.0"])
            self.product.run_cli(["build", settings, "--xml", "--key", os.path.join(keys, retired[0])])
            self.product.publish()
            self.fresh_v1(keep_client_state=True)
            status, log = self.run_client()
            self.assertVersion1Intact(status, log, "a later version signed with the old key")
            self.assertIn("which this client no longer accepts", log)
        finally:
            self.product.run_cli(["set", settings, "UpdateVersion=2.0"])
            for name in os.listdir(keys):
                os.remove(os.path.join(keys, name))
            _write_bytes(os.path.join(keys, "Product.key"), old_key)
            for name, data in published.items():
                _write_bytes(os.path.join(root, name), data)

    # The key built into the client is the only root of trust: a key that any
    # program the user runs could plant in the user's registry changes nothing.
    def test_a_key_planted_in_the_users_registry_lets_nothing_in(self):
        attacker_key = os.path.join(self.scratch, "attacker.key")
        if not os.path.exists(attacker_key):
            self.product.run_cli(["keygen", "--out", attacker_key])
        with self.published_as(["build", self.product.settings, "--xml", "--key", attacker_key]):
            self.fresh_v1()
            state_key = STATE_KEY.replace("HKEY_CURRENT_USER", "HKCU")
            self.wine.cmd(['reg add "%s" /v TrustedUpdateKey /t REG_SZ /d "ed25519 %s" /f >nul'
                           % (state_key, _public_hex(_read(attacker_key)))], self.scratch)
            status, log = self.run_client()
        self.assertVersion1Intact(status, log, "an update signed by the key planted in the registry")
        self.assertIn("signed by another key", log)

    # A publisher that signs two products with one key: the second product's
    # signed update is refused by the first product's client.
    def test_another_products_signature_with_the_same_key_is_refused(self):
        settings = self.product.settings
        try:
            self.product.run_cli(["set", settings, "AppTitle=Another Product"])
            with self.published_as(["build", settings, "--xml"]):
                self.fresh_v1()
                status, log = self.run_client()
        finally:
            self.product.run_cli(["set", settings, "AppTitle=" + TITLE])
        self.assertVersion1Intact(status, log, "another product's update")
        self.assertIn("the signature file is for another product (%s, Another Product) than this client's (%s, %s)"
                      % (COMPANY, COMPANY, TITLE), log)

    # The installed version belongs to the folder: version 1 put back after
    # the update to version 2 is updated again, however it came back.
    def test_version_1_put_back_is_updated_again(self):
        state_key = STATE_KEY.replace("HKEY_CURRENT_USER", "HKCU")
        for how in ("reinstalled", "repaired", "beside the version an earlier client kept per user"):
            with self.subTest(how):
                self.fresh_v1()
                if how.startswith("beside"):
                    self.wine.cmd(['reg add "%s" /v InstalledVersion /t REG_SZ /d 2.0 /f >nul' % state_key],
                                  self.scratch)
                else:
                    status, log = self.run_client()
                    self.assertVersion2(status, log, how + ": the first update")
                    self.server.reset()
                    if how == "reinstalled":
                        self.product.install_v1(self.app)
                    else:  # version 1's files written over version 2's; the client's record stays
                        for name, data in self.product.installed_v1(self.product.client).items():
                            path = os.path.join(self.app, *name.split("/"))
                            _write_bytes(path, data)
                            os.utime(path, (OLD_TIME, OLD_TIME))
                        self.assertTrue(os.path.exists(os.path.join(self.app, STATE_FILE)))
                status, log = self.run_client()
                self.assertVersion2(status, log, how + ": version 1 put back")
                self.assertIn("update 2.0 found (installed: 1.0)", log)
                self.assertIsNone(self.state_value("InstalledVersion"), how + ": the per-user version")

    @contextlib.contextmanager
    def published_as(self, build):
        """Publishes what the tool's `build` writes; the published files are
        put back afterwards."""
        root = self.server.root
        names = ("UpdateConfig.xml", "UpdateConfig.xml.sig")
        published = {name: _read(os.path.join(root, name)) for name in names}
        try:
            self.product.run_cli(build)
            self.product.publish()
            yield
        finally:
            for name, data in published.items():
                _write_bytes(os.path.join(root, name), data)

    # A server file that names a place outside the folder it names, signed by
    # the publisher (a project edited by hand: the tool no longer writes one):
    # the client refuses the whole update before anything runs or changes.
    def test_paths_outside_their_folder_change_nothing(self):
        settings = self.product.settings
        original = _read(settings)
        published = {name: _read(os.path.join(self.server.root, name))
                     for name in ("UpdateConfig.xml", "UpdateConfig.xml.sig")}
        app_dir = b'<Directory Name="&lt;ApplicationDir&gt;">'
        cases = [
            ("a file in ..\\outside", app_dir,
             app_dir + b'\r\n<Directory Name=".."><Directory Name="outside">'
                       b'<File Name="readme.txt"  Type="date" Src="\\" /></Directory></Directory>',
             "the file <ApplicationDir>\\..\\outside\\readme.txt is refused"),
            ("an execution folder outside", b"<ShellExec>",
             b'<ShellExec>\r\n<Execute Point="1" File="&lt;ApplicationDir&gt;\\..\\outside\\MarkWelcome.exe" />',
             "the execution <ApplicationDir>\\..\\outside\\MarkWelcome.exe is refused"),
        ]
        outside = os.path.join(self.scratch, "outside")
        os.makedirs(outside, exist_ok=True)
        shutil.copyfile(os.path.join(ARGS.programs, "Mark.exe"), os.path.join(outside, "MarkWelcome.exe"))
        try:
            for what, anchor, replacement, reason in cases:
                with self.subTest(what):
                    self.assertIn(anchor, original)
                    _write_bytes(settings, original.replace(anchor, replacement, 1))
                    self.product.run_cli(["build", settings, "--xml"])
                    self.product.publish()
                    self.fresh_v1()
                    status, log = self.run_client()
                    self.assertVersion1Intact(status, log, what)
                    self.assertIn(reason, log, what + ": the log does not say why:\n" + log)
                    self.assertEqual(sorted(os.listdir(outside)), ["MarkWelcome.exe"], what + ": outside")
                    self.assertEqual(self.read_marks(1, wait=2.0), [], what + ": programs started")
                    self.assertEqual([p for p, _ in self.server.requested() if p.startswith("/files/")], [],
                                     what + ": files were downloaded")
        finally:
            _write_bytes(settings, original)
            self.product.run_cli(["build", settings, "--xml"])
            for name, data in published.items():
                _write_bytes(os.path.join(self.server.root, name), data)
            shutil.rmtree(outside, ignore_errors=True)

    def test_file_held_open(self):
        self.fresh_v1()
        with held_open(self.wine, ARGS.programs, os.path.join(self.app, "Library.dll"), self.scratch):
            status, log = self.run_client()
        self.assertVersion1Intact(status, log, "a file held open")

    # A real small file system where the machine allows mounting one: the
    # download fills it.
    def test_disk_full_real_file_system(self):
        self.fresh_v1()
        if os.geteuid() != 0 or not shutil.which("mount"):
            self.skipTest("mounting a small file system needs root; the simulated full disk covers it")
        used = sum(len(d) for d in self.product.installed_v1(self.product.client).values())
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % (used // 1024 + 600),
                                  "tidewell-e2e", self.app], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if mounted.returncode != 0:
            self.skipTest("no small file system could be mounted: " + mounted.stdout.decode().strip())
        try:
            self.product.install_v1(self.app)
            status, log = self.run_client()
            self.assertVersion1Intact(status, log, "a full disk")
            self.assertIn("[112]", log, "the full disk is not named in the log")
        finally:
            subprocess.run(["umount", "-l", self.app])
            self.product.install_v1(self.app)

    # The disk fills up once every byte of the downloads was written: what is
    # written after them (the archive's entries, the journal, copies) fails.
    def test_disk_full_after_the_downloads(self):
        self.fresh_v1()
        downloaded = sum(len(self.product.v2[n]) for n in (
            "App.exe", "Library.dll", "readme.txt", "docs/guide.txt", "docs/new.txt", "media/intro.bin",
            "Data/Data.zip"))
        status, log = self.run_client({"TIDEWATCH_TEST_DISK_FULL_AFTER": str(downloaded + 1000)})
        self.assertVersion1Intact(status, log, "disk full after the downloads")
        self.assertIn("[112]", log, "the full disk is not named in the log")

    # Killed after a step of the apply: the next start undoes what was done
    # before anything else (here the server is gone, so it then fails).
    def test_killed_mid_apply_restored_at_next_start(self):
        for step in (3, 15):  # among the files; among the registry operations (18 steps in all)
            with self.subTest(halt_after_step=step):
                self.fresh_v1()
                status, log = self.run_client({"TIDEWATCH_TEST_HALT_AFTER_STEP": str(step)})
                self.assertNotEqual(status, 0, "the client was not stopped; log:\n" + log)
                self.assertTrue(os.path.exists(os.path.join(self.app, "~tidewell", "journal")),
                                "no journal left by the client killed after step %d" % step)
                self.server.faults["/UpdateConfig.xml"] = (STATUS, 404)
                status, log = self.run_client()
                self.assertVersion1Intact(status, log, "the start after a kill")
                self.assertFalse(os.path.exists(os.path.join(self.app, "~tidewell", "journal")),
                                 "the journal is still there after the undo")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--programs", required=True)
    ARGS, rest = parser.parse_known_args()
    if not shutil.which("wine") or not shutil.which("timeout"):
        print("wine is not installed: the client's end-to-end test is skipped")
        sys.exit(77)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
