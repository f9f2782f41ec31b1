#!/usr/bin/python3
"""Times the main window's browse run against curl on one folder of many files.

The server and the folder are made as for the tovalo-ls benchmark (../ftp); curl does one
raw LIST (`curl -s ftp://host:port/folder/ -o /dev/null`), the window runs Connect until
every row is shown. Both run alternately in the same run of this script.
"""
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import benchlib  # noqa: E402


def main():
    args = benchlib.parse_args("--window", "path of window_bench")
    with benchlib.served_folder(args.files, args.server, "tovalo-wbench-") as served:
        env = dict(os.environ, TOVALO_PASSWORD=served.password, QT_QPA_PLATFORM="offscreen")

        curl_times, win_times, stalls = [], [], []
        for _ in range(args.runs):
            curl_times.append(benchlib.timed_curl(served))
            out = subprocess.run(
                [args.window, "--port", str(served.port), "--user", served.user, "--folder", "/big",
                 "--expect", str(args.files), "--runs", "1"],
                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)
            if out.returncode != 0:
                raise RuntimeError("window run failed: %s%s" % (out.stdout, out.stderr))
            for line in out.stdout.splitlines():
                f = line.split()
                if f and f[0] == "run":
                    win_times.append(float(f[1]))
                    stalls.append(int(f[5]))
        win_med, curl_med = statistics.median(win_times), statistics.median(curl_times)
        print("server: %s, files: %d, runs: %d" % (served.server, args.files, args.runs))
        print("curl        median %.3f s  min %.3f s" % (curl_med, min(curl_times)))
        print("window run  median %.3f s  min %.3f s" % (win_med, min(win_times)))
        stall = statistics.median(stalls)
        print("longest event-loop stall: median %d ms, worst %d ms (bar 33 ms, goal 16 ms): %s"
              % (stall, max(stalls), "met" if stall <= 33 else "MISSED"))
        ok = benchlib.report_ratio("window/curl", win_med / curl_med, 1.5, 1.2) and stall <= 33
        return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
