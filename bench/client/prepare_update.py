"""Prepares the client update benchmark: a product of 1,000 files totalling
200 MB (one of 64 MiB, more than the client may hold in memory, and 999 of
about 140 KB in ten folders) as served, an installed version 1 whose files are
small and older, and the project with both artefacts built by tidewell-cli.

    prepare_update.py ROOT SERVER_URL TIDEWELL_CLI

Writes ROOT/server (the served folder, with the server file's signature
file), ROOT/installed-v1 (with the client, which carries the project's key and
so checks every file's SHA-256) and ROOT/files.txt: one "server
path<TAB>installed path" line per file.
"""
import os
import shutil
import subprocess
import sys


TOTAL = 200 * 1000 * 1000
BIG = 64 * 1024 * 1024
COUNT = 1000
FOLDERS = 10
OLD_TIME = 1577836800  # 2020-01-01: the installed files are older


def main(root, server_url, cli):
    stage = os.path.join(root, "server", "files")
    installed = os.path.join(root, "installed-v1")
    project = os.path.join(root, "project")
    for folder in (stage, installed, project):
        shutil.rmtree(folder, ignore_errors=True)
    small = (TOTAL - BIG) // (COUNT - 1)
    names = ["big/big.bin"] + ["module%d/file%03d.dat" % (i % FOLDERS, i) for i in range(1, COUNT)]
    for index, name in enumerate(names):
        for base, size in ((stage, BIG if index == 0 else small), (installed, 1000)):
            path = os.path.join(base, *name.split("/"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as out:
                out.write(os.urandom(size))
        os.utime(os.path.join(installed, *name.split("/")), (OLD_TIME, OLD_TIME))

    settings = os.path.join(project, "Settings.xml")
    steps = [["new", project, "--name", "Bench"],
             ["set", settings, "CompanyName=Tidewell Bench", "AppTitle=Update Bench", "Executable=App.exe",
              "HTTPLocationFiles=" + server_url + "files", "HTTPLocationXML=" + server_url + "UpdateConfig.xml",
              "AppVersion=1.0", "UpdateVersion=2.0", "UpdateType=Silent", "ClientExe=BenchUpdate",
              "CheckNow=UpdateNow", "UpdateFilesDir=" + stage + "/"]]
    folders = sorted({n.split("/")[0] for n in names})
    for folder in folders:
        files = [os.path.join(stage, *n.split("/")) for n in names if n.startswith(folder + "/")]
        steps.append(["add-files", settings, "--dest", "<ApplicationDir>\\" + folder] + files)
    steps += [["build", settings, "--xml"], ["build", settings, "--client"]]
    # The project's key is made in a configuration folder of its own.
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"))
    env.pop("TIDEWELL_SIGNING_KEY", None)
    for step in steps:
        done = subprocess.run([cli] + step, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env)
        if done.returncode != 0:
            sys.exit("tidewell-cli %s failed:\n%s" % (step[0], done.stdout.decode()))
    for name in ("UpdateConfig.xml", "UpdateConfig.xml.sig"):
        shutil.copyfile(os.path.join(project, name), os.path.join(root, "server", name))
    shutil.copyfile(os.path.join(project, "BenchUpdate.exe"), os.path.join(installed, "BenchUpdate.exe"))
    with open(os.path.join(root, "files.txt"), "w") as out:
        for name in names:
            out.write("files/%s\t%s\n" % (name, name))


if __name__ == "__main__":
    main(*sys.argv[1:4])
