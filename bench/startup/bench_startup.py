#!/usr/bin/python3
"""Times start-up until the window is first painted whole: tovalo's main window against a
bare Qt dialog.

Both programs run alternately; each prints the wall-clock moment its first paint finished
and ends there. The account store is made once before timing, so every run opens an
existing one, as a user's start does. They run offscreen (no display server: the programs'
own work only) and, when Xvfb and openbox are installed, on a private X display with a
window manager, as a user sees them. QT_QPA_PLATFORM, when set, chooses one of the two.
"""
import argparse
import contextlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import benchlib  # noqa: E402


def first_paint(program, env):
    start = time.time()
    out = subprocess.run([program], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         env=env, text=True, timeout=60)
    for line in out.stdout.splitlines():
        f = line.split()
        if f and f[0] == "painted":
            return float(f[1]) - start
    raise RuntimeError("%s ended without painting (status %d)" % (program, out.returncode))


@contextlib.contextmanager
def x_display():
    """A private Xvfb display with openbox on it; its name, e.g. ":93"."""
    for n in range(90, 100):
        if os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
            continue
        xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1280x1024x24",
                                 "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists("/tmp/.X11-unix/X%d" % n) and xvfb.poll() is None \
                and time.monotonic() < deadline:
            time.sleep(0.05)
        if xvfb.poll() is not None or not os.path.exists("/tmp/.X11-unix/X%d" % n):
            benchlib.stop(xvfb)
            continue
        wm = subprocess.Popen(["openbox"], env=dict(os.environ, DISPLAY=":%d" % n),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)  # the window manager takes over the root window
        try:
            yield ":%d" % n
        finally:
            for p in (wm, xvfb):
                benchlib.stop(p, timeout=10)
        return
    raise RuntimeError("no free X display between :90 and :99")


def compare(args, env):
    first_paint(args.tovalo, env)  # makes the store, warms the caches
    tovalo, bare = [], []
    for _ in range(args.runs):
        tovalo.append(first_paint(args.tovalo, env))
        bare.append(first_paint(args.bare, env))
    t, b = statistics.median(tovalo), statistics.median(bare)
    print("runs: %d, platform: %s" % (args.runs, env["QT_QPA_PLATFORM"]))
    print("bare dialog  median %.1f ms  min %.1f ms" % (b * 1000, min(bare) * 1000))
    print("tovalo       median %.1f ms  min %.1f ms" % (t * 1000, min(tovalo) * 1000))
    # The host's noise only ever adds: the fastest runs show the programs' own difference.
    print("fastest runs tovalo/bare %.2f" % (min(tovalo) / min(bare)))
    return benchlib.report_ratio("tovalo/bare (%s)" % env["QT_QPA_PLATFORM"], t / b, 1.2, 1.1)


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--tovalo", required=True)
    p.add_argument("--bare", required=True)
    p.add_argument("--runs", type=int, default=41)
    args = p.parse_args()
    chosen = os.environ.get("QT_QPA_PLATFORM")
    platforms = [chosen] if chosen else ["offscreen"]
    if not chosen and shutil.which("Xvfb") and shutil.which("openbox"):
        platforms.append("xcb")
    met = True
    with tempfile.TemporaryDirectory(prefix="tovalo-startup-") as home:
        base = dict(os.environ, KORVEX_HOME=home, XDG_CONFIG_HOME=home)
        for platform in platforms:
            env = dict(base, QT_QPA_PLATFORM=platform)
            if platform == "xcb" and not chosen:
                with x_display() as display:
                    met = compare(args, dict(env, DISPLAY=display)) and met
            else:
                met = compare(args, env) and met
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
