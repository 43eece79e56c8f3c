#!/usr/bin/env python3
"""The setup dialog hears a close request that comes at once.

Starts `vorlane --windowed` on an X server of its own with an empty font
cache, as on a machine's first start, sends the window manager's close
request (WM_DELETE_WINDOW) the moment the "444" window is mapped, and
expects the program to end with exit code 0. A lost request leaves the
dialog open: the test then waits until CTest stops it.

    dialog_close_test.py VORLANE [TRIES]
"""
import os
import subprocess
import sys
import tempfile

from Xlib import X, display, protocol


def start_server():
    """An Xvfb on a display number it picks itself, so tests run side by side."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        return server, ":" + numbers.readline().strip()


def font_config(folder):
    """A fontconfig setup with the system's fonts and rules but an empty cache."""
    cache = os.path.join(folder, "cache")
    os.mkdir(cache)
    path = os.path.join(folder, "fonts.conf")
    with open(path, "w") as f:
        f.write('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "fonts.dtd">\n<fontconfig>\n'
                '  <include ignore_missing="yes">/etc/fonts/conf.d</include>\n'
                '  <dir>/usr/share/fonts</dir>\n  <cachedir>%s</cachedir>\n</fontconfig>\n' % cache)
    return path


def mapped_window(x, name):
    for w in x.screen().root.query_tree().children:
        try:
            if w.get_wm_name() == name and w.get_attributes().map_state == X.IsViewable:
                return w
        except Exception:  # a window that went away while we looked
            pass
    return None


def close_at_once(program):
    with tempfile.TemporaryDirectory() as folder:
        server, name = start_server()
        try:
            x = display.Display(name)
            env = dict(os.environ, DISPLAY=name, FONTCONFIG_FILE=font_config(folder), HOME=folder,
                       SDL_AUDIODRIVER="dummy")
            env.pop("SDL_VIDEODRIVER", None)
            dialog = subprocess.Popen([program, "--windowed"], env=env)
            w = None
            while w is None and dialog.poll() is None:
                w = mapped_window(x, "444")
            if w is not None:
                request = protocol.event.ClientMessage(
                    window=w, client_type=x.intern_atom("WM_PROTOCOLS"),
                    data=(32, [x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
                w.send_event(request, event_mask=0)
                x.flush()
            return dialog.wait(), w is not None
        finally:
            server.terminate()
            server.wait()


def main():
    program = sys.argv[1]
    tries = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    failures = 0
    for n in range(tries):
        code, seen = close_at_once(program)
        print("try %d: %s, exit code %d" % (n + 1, "closed as soon as mapped" if seen else "never mapped", code))
        failures += code != 0 or not seen
    sys.exit(1 if failures else 0)


main()
