"""Modules for the music measurements: real XM files from a Debian package
(fetched with apt-get download and unpacked with dpkg -x into a scratch
folder, never committed), the show's own song and the generated seed
modules of the fuzz corpus. Also installs the measuring peers."""

import glob
import os
import shutil
import subprocess
import tempfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# A game whose music is five XM modules (8 to 14 channels, both frequency tables).
MODULE_PACKAGES = ["bomberclone-data"]
PEERS = {"openmpt123": "openmpt123", "xmp": "xmp"}


def install_peers():
    missing = [pkg for prog, pkg in PEERS.items() if shutil.which(prog) is None]
    if missing:
        subprocess.run(["apt-get", "install", "-y"] + missing, check=True,
                       stdout=subprocess.DEVNULL)


def fetch_modules(scratch):
    """Real modules from Debian packages, unpacked under scratch."""
    found = []
    for package in MODULE_PACKAGES:
        folder = os.path.join(scratch, package)
        os.makedirs(folder, exist_ok=True)
        if not glob.glob(os.path.join(folder, "*.deb")):
            subprocess.run(["apt-get", "download", package], cwd=folder, check=True,
                           stdout=subprocess.DEVNULL)
        for deb in glob.glob(os.path.join(folder, "*.deb")):
            subprocess.run(["dpkg", "-x", deb, os.path.join(folder, "root")], check=True)
        found += sorted(glob.glob(os.path.join(folder, "root", "**", "*.xm"), recursive=True))
    return found


def all_modules(scratch):
    modules = fetch_modules(scratch)
    song = os.path.join(REPO, "data", "song.xm")
    if os.path.exists(song):
        modules.append(song)
    for seed in ["effects_linear.xm", "effects_amiga.xm", "jumps.xm"]:
        modules.append(os.path.join(REPO, "tests", "fuzz", "corpus", seed))
    return modules


def scratch_dir():
    path = os.path.join(tempfile.gettempdir(), "vorlane-music-bench")
    os.makedirs(path, exist_ok=True)
    return path


def vorlane_xm(build):
    path = os.path.join(build, "vorlane-xm")
    if not os.path.exists(path):
        raise SystemExit("no %s: build the project first (cmake --build %s)" % (path, build))
    return path


def start(argv):
    """The common start of both scripts: [BUILD_DIR] [SECONDS] from the
    command line, our player in that build, the peers installed and the
    scratch folder. Returns (seconds, vorlane-xm path, scratch folder)."""
    build = argv[1] if len(argv) > 1 else os.path.join(REPO, "build")
    seconds = float(argv[2]) if len(argv) > 2 else 60.0
    ours = vorlane_xm(build)
    install_peers()
    return seconds, ours, scratch_dir()
