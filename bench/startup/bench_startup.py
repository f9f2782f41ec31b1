#!/usr/bin/python3
"""Times start-up until the first paint: tovalo's main window against a bare Qt dialog.

Both programs run alternately under the same platform plugin (offscreen unless
QT_QPA_PLATFORM says otherwise); each prints the wall-clock moment of its first paint and
ends there. The account store is made once before timing, so every run opens an existing
one, as a user's start does.
"""
import argparse
import os
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


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--tovalo", required=True)
    p.add_argument("--bare", required=True)
    p.add_argument("--runs", type=int, default=21)
    args = p.parse_args()
    with tempfile.TemporaryDirectory(prefix="tovalo-startup-") as home:
        env = dict(os.environ, KORVEX_HOME=home, XDG_CONFIG_HOME=home,
                   QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
        first_paint(args.tovalo, env)  # makes the store
        tovalo, bare = [], []
        for _ in range(args.runs):
            tovalo.append(first_paint(args.tovalo, env))
            bare.append(first_paint(args.bare, env))
    t, b = statistics.median(tovalo), statistics.median(bare)
    print("runs: %d, platform: %s" % (args.runs, env["QT_QPA_PLATFORM"]))
    print("bare dialog  median %.1f ms  min %.1f ms" % (b * 1000, min(bare) * 1000))
    print("tovalo       median %.1f ms  min %.1f ms" % (t * 1000, min(tovalo) * 1000))
    return 0 if benchlib.report_ratio("tovalo/bare", t / b, 1.2, 1.1) else 1


if __name__ == "__main__":
    sys.exit(main())
