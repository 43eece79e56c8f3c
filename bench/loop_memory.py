"""Memory of the show in loop mode, round after round: runs
`vorlane --loop --capture` through many rounds of parts (every frame drawn,
none written but the last second's), samples the process's resident set
size, and prints it at the start of every round.

    python3 bench/loop_memory.py [--build build] [--rounds 10] [--fps 2]
                                 [--resolution 640x480]

A round is parts 1 to 5 and the pause; the capture's progress line says
which part is drawn, so a round starts where it turns from 5 to 1."""

import argparse
import os
import re
import subprocess
import tempfile
import threading
import time

ROUND_MS = 181000  # a round of song time, with some room: the song clock runs slow


def rss_mb(pid):
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--fps", type=int, default=2)
    parser.add_argument("--resolution", default="640x480")
    args = parser.parse_args()

    program = os.path.join(args.build, "vorlane")
    end = (args.rounds + 1) * ROUND_MS
    env = dict(os.environ, SDL_VIDEODRIVER=os.environ.get("SDL_VIDEODRIVER", "offscreen"))
    with tempfile.TemporaryDirectory(prefix="vorlane-loop-memory-") as scratch:
        command = [program, "--loop", "--capture", os.path.join(scratch, "frames"), "--fps", str(args.fps),
                   "--from", str(end - 1000), "--to", str(end), "--resolution", args.resolution]
        process = subprocess.Popen(command, stderr=subprocess.PIPE, env=env)
        part = [0]

        def follow_progress():
            text = b""
            while True:
                chunk = process.stderr.read1(4096)
                if not chunk:
                    return
                text = (text + chunk)[-4096:]
                found = re.findall(rb"part (\d)", text)
                if found:
                    part[0] = int(found[-1])

        reader = threading.Thread(target=follow_progress, daemon=True)
        reader.start()
        rounds = []  # (round, rss at its start, peak during it)
        peak = 0.0
        last_part = 1
        started = time.time()
        while process.poll() is None:
            rss = rss_mb(process.pid)
            if rss is not None:
                peak = max(peak, rss)
                if last_part == 5 and part[0] == 1:
                    rounds.append((len(rounds) + 2, rss, peak))
                    peak = rss
                    print("round %2d starts: %7.1f MB (peak of the round before %7.1f MB)"
                          % rounds[-1], flush=True)
                last_part = part[0]
            time.sleep(0.2)
        reader.join()
        print("exit code %d after %.0f s; peak of the last round %.1f MB"
              % (process.returncode, time.time() - started, peak))


if __name__ == "__main__":
    main()
