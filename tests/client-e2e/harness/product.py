"""Version 1 and version 2 of a small product, the project that updates one to
the other (made with tidewell-cli, as a publisher's build pipeline would), and
what an installed copy holds before and after the update."""
import hashlib
import os
import shutil
import subprocess
import zipfile

COMPANY = "Tidewell Tests"
TITLE = "Update Test Product"
CLIENT = "ProductUpdate.exe"
CHECK_NOW = "UpdateNow"
PRODUCT_KEY = r"HKEY_CURRENT_USER\Software\TidewellE2E\Product"
STATE_KEY = "HKEY_CURRENT_USER\\Software\\Tidewell\\Clients\\%s\\%s" % (COMPANY, TITLE)
# The installation's record the client keeps beside itself.
STATE_FILE = "~tidewell.state"
# Started by the client at the four points of the update (copies of Mark.exe).
MARKS = {"Welcome screen": "MarkWelcome.exe", "Download screen": "MarkDownload.exe",
         "Download complete": "MarkDownloaded.exe", "Installation complete": "MarkInstalled.exe"}
ZIP_STAMP = (2024, 3, 1, 10, 30, 0)
OLD_TIME = 1577836800  # 2020-01-01: the installed time-stamp-based files are older


def _payload(size, seed):
    """Bytes that do not compress and differ with the seed."""
    out = bytearray()
    block = hashlib.sha256(seed.encode()).digest()
    while len(out) < size:
        block = hashlib.sha256(block).digest()
        out += block
    return bytes(out[:size])


def _zip(path, entries):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries.items():
            info = zipfile.ZipInfo(name, date_time=ZIP_STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data)


def _write(root, files):
    for relative, data in files.items():
        target = os.path.join(root, *relative.split("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as out:
            out.write(data)


def _program(programs, name):
    with open(os.path.join(programs, name), "rb") as source:
        return source.read()


ZIP_V1 = {"notes.txt": b"Data notes, version 1.\r\n", "images/logo.bmp": _payload(3000, "logo 1")}
ZIP_V2 = {"notes.txt": b"Data notes, version 2.\r\n", "images/logo.bmp": _payload(3100, "logo 2"),
          "extra/more.txt": b"New in version 2.\r\n"}


class Product:
    """Builds both versions in `root` from the cross-compiled programs."""

    def __init__(self, root, programs, cli):
        self.root = root
        self.cli = cli
        self.mark = _program(programs, "Mark.exe")
        self.stage = os.path.join(root, "server", "files")  # the update files as served
        self.project = os.path.join(root, "project")
        self.config = os.path.join(root, "config")  # the publisher's configuration folder
        self.v1 = {
            "App.exe": _program(programs, "App1.exe"),
            "Library.dll": _program(programs, "Library1.dll"),
            "readme.txt": b"Update Test Product 1.0\r\n",
            "bin/Tool.exe": _program(programs, "Tool1.exe"),
            "docs/guide.txt": b"Guide for version 1.\r\n",
            "Data/Data.zip": None,  # filled below
        }
        self.v2 = {
            "App.exe": _program(programs, "App2.exe"),
            "Library.dll": _program(programs, "Library2.dll"),
            "readme.txt": b"Update Test Product 2.0\r\nWhat is new: everything.\r\n",
            "bin/Tool.exe": _program(programs, "Tool2.exe"),
            "docs/guide.txt": b"Guide for version 2, longer than the first.\r\n",
            "docs/new.txt": b"A file new in version 2.\r\n",
            "media/intro.bin": _payload(1 << 20, "intro 2"),
            "legacy.txt": b"Only for Windows 95.\r\n",
            "Data/Data.zip": None,
        }
        for version, entries in ((self.v1, ZIP_V1), (self.v2, ZIP_V2)):
            scratch = os.path.join(root, "zip.tmp")
            _zip(scratch, entries)
            with open(scratch, "rb") as source:
                version["Data/Data.zip"] = source.read()
            os.remove(scratch)

    # The files of version 1 as installed, before the client ran.
    def installed_v1(self, client_bytes):
        files = dict(self.v1)
        files.update({"Data/" + name: data for name, data in ZIP_V1.items()})
        files.update({name: self.mark for name in MARKS.values()})
        files[CLIENT] = client_bytes
        return files

    # What the client must leave: files taken by their conditions, the archive's
    # entries unpacked beside it; Tool.exe keeps its version (not taken) and
    # legacy.txt targets only Windows 95.
    def installed_v2(self, client_bytes):
        files = self.installed_v1(client_bytes)
        for name in ("App.exe", "Library.dll", "readme.txt", "docs/guide.txt", "docs/new.txt",
                     "media/intro.bin", "Data/Data.zip"):
            files[name] = self.v2[name]
        files.update({"Data/" + name: data for name, data in ZIP_V2.items()})
        return files

    def make_project(self, server_url):
        """Stages version 2, makes the project and builds both artefacts."""
        shutil.rmtree(self.stage, ignore_errors=True)
        shutil.rmtree(self.project, ignore_errors=True)
        _write(self.stage, self.v2)
        settings = os.path.join(self.project, "Settings.xml")
        app = "<ApplicationDir>"
        top = [os.path.join(self.stage, n) for n in ("App.exe", "Library.dll", "readme.txt", "legacy.txt")]
        steps = [
            ["new", self.project, "--name", "Product"],
            ["set", settings, "CompanyName=" + COMPANY, "AppTitle=" + TITLE, "Executable=App.exe",
             "HTTPLocationFiles=" + server_url + "files",
             "AppVersion=1.0", "UpdateVersion=2.0", "UpdateType=Silent", "ClientExe=ProductUpdate",
             "CheckNow=" + CHECK_NOW, "flag.AutomaticRestart=on"],
            ["add-files", settings, "--dest", app, "--yes"] + top,
            ["add-files", settings, "--dest", app + "\\bin", os.path.join(self.stage, "bin", "Tool.exe")],
            ["add-files", settings, "--dest", app + "\\docs", os.path.join(self.stage, "docs", "guide.txt"),
             os.path.join(self.stage, "docs", "new.txt")],
            ["add-files", settings, "--dest", app + "\\media", os.path.join(self.stage, "media", "intro.bin")],
            ["add-files", settings, "--dest", app + "\\Data", os.path.join(self.stage, "Data", "Data.zip")],
            ["set-file", settings, app + "\\App.exe", "--condition", "ver"],
            ["set-file", settings, app + "\\Library.dll", "--condition", "ver"],
            ["set-file", settings, app + "\\bin\\Tool.exe", "--condition", "ver"],
            ["set-file", settings, app + "\\docs\\guide.txt", "--condition", "none"],
            ["set-file", settings, app + "\\media\\intro.bin", "--condition", "none"],
            ["set-file", settings, app + "\\legacy.txt", "--os", "Win95"],
            ["set-file", settings, app + "\\Data\\Data.zip", "--unzip", "on"],
            ["add-variable", settings, "--base-key", "HKEY_CURRENT_USER", "--sub-key",
             r"Software\TidewellE2E\Product", "--type", "REG_SZ", "--value-name", "Edition"],
            # The client asks for the update file with the edition read from the registry.
            ["set", settings, "HTTPLocationXML=" + server_url + "UpdateConfig.xml?ed=%Variable2%"],
        ]
        key = r"Software\TidewellE2E\Product"
        for sub_key, operation in (
                (key, ["Add Value", "--type", "REG_SZ", "--name", "Version", "--data", "2.0"]),
                (key, ["Add Value", "--type", "REG_DWORD", "--name", "Channel", "--data", "42"]),
                (key, ["Delete Value", "--name", "Obsolete"]),
                (key + r"\Plugins", ["Create Key"]),
                (key + r"\OldCache", ["Remove Key"])):
            steps.append(["add-registry", settings, "--base-key", "HKEY_CURRENT_USER",
                          "--sub-key", sub_key, "--action"] + operation)
        for point, name in MARKS.items():
            steps.append(["add-exec", settings, "--dir", app, "--file", name, "--point", point])
        # A program that is not there is logged and does not stop the update.
        steps.append(["add-exec", settings, "--dir", app, "--file", "Missing.exe", "--point", "Download complete"])
        steps += [["build", settings, "--xml"], ["build", settings, "--client"]]
        for step in steps:
            self.run_cli(step)
        self.settings = settings
        self.server_file = os.path.join(self.project, "UpdateConfig.xml")
        with open(os.path.join(self.project, CLIENT), "rb") as source:
            self.client = source.read()
        self.publish()

    def run_cli(self, step, env=None):
        """Runs tidewell-cli with the publisher's configuration folder in the
        scratch folder (where the project's signing key is made) and no
        pipeline key; answers its output."""
        environment = dict(os.environ, XDG_CONFIG_HOME=self.config)
        environment.pop("TIDEWELL_SIGNING_KEY", None)
        environment.update(env or {})
        done = subprocess.run([self.cli] + step, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=environment)
        if done.returncode != 0:
            raise RuntimeError("tidewell-cli %s failed:\n%s" % (" ".join(step), done.stdout.decode()))
        return done.stdout.decode()

    def publish(self):
        """Copies the server file and its signature file onto the server."""
        for name in ("UpdateConfig.xml", "UpdateConfig.xml.sig"):
            shutil.copyfile(os.path.join(self.project, name), os.path.join(self.stage, "..", name))

    def install_v1(self, app_dir):
        """An installed copy of version 1 with its client, as an installer leaves it."""
        if os.path.isdir(app_dir):
            for entry in os.listdir(app_dir):  # the folder itself may be a mount point
                path = os.path.join(app_dir, entry)
                shutil.rmtree(path) if os.path.isdir(path) and not os.path.islink(path) else os.remove(path)
        files = self.installed_v1(self.client)
        _write(app_dir, files)
        for name in files:
            os.utime(os.path.join(app_dir, *name.split("/")), (OLD_TIME, OLD_TIME))

    # The registry an installer of version 1 left, as a .reg file.
    REGISTRY_V1 = (
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\TidewellE2E\\Product]\r\n"
        "\"Edition\"=\"Pro\"\r\n\"Obsolete\"=\"old\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\TidewellE2E\\Product\\OldCache]\r\n"
        "\"Size\"=dword:00000005\r\n\r\n")
    # `reg query /s` of the product's key after the update, lines trimmed.
    REGISTRY_V2 = [
        PRODUCT_KEY, "Edition REG_SZ Pro", "Version REG_SZ 2.0", "Channel REG_DWORD 0x2a",
        PRODUCT_KEY + "\\Plugins",
    ]


def snapshot(folder, skip="~tidewell"):
    """Every file below `folder` (the work folder and the client's record left
    out) by its path, with its bytes' digest; folders with nothing in them
    count too."""
    found = {}
    for here, folders, files in os.walk(folder):
        folders[:] = [f for f in folders if not (here == folder and f.lower() == skip)]
        files = [f for f in files if not (here == folder and f.lower() == STATE_FILE)]
        relative = os.path.relpath(here, folder).replace(os.sep, "/")
        prefix = "" if relative == "." else relative + "/"
        if not folders and not files and prefix:
            found[prefix] = "folder"
        for name in files:
            with open(os.path.join(here, name), "rb") as source:
                found[prefix + name] = hashlib.sha256(source.read()).hexdigest()
    return found


def digests(files):
    return {name: hashlib.sha256(data).hexdigest() for name, data in files.items()}


def installed_version(folder):
    """The version the client recorded for the installation in `folder`, or
    None when it recorded none."""
    path = os.path.join(folder, STATE_FILE)
    if not os.path.exists(path):
        return None
    with open(path, "rb") as source:
        for line in source.read().decode("utf-8").split("\n"):
            if line.startswith("installed-version "):
                return line[len("installed-version "):]
    raise AssertionError("the client's record holds no version:\n" + open(path, encoding="utf-8").read())
