#!/usr/bin/python3
"""Times the main window's browse run against curl on one folder of many files.

The server and the folder are made as for the tovalo-ls benchmark (../ftp); curl does one
raw LIST (`curl -s ftp://host:port/folder/ -o /dev/null`), the window runs Connect until
every row is shown. Both run alternately in the same run of this script.
"""
import argparse
import importlib.util
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "bench_listing", os.path.join(HERE, "..", "ftp", "bench_listing.py"))
listing = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(listing)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--window", required=True, help="path of window_bench")
    ap.add_argument("--files", type=int, default=100000)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--server", choices=["auto", "vsftpd", "pyftpdlib"], default="auto")
    args = ap.parse_args()

    server = args.server
    if server == "auto":
        server = "vsftpd" if os.path.exists("/usr/sbin/vsftpd") and os.geteuid() == 0 else "pyftpdlib"

    work = tempfile.mkdtemp(prefix="tovalo-wbench-")
    root = os.path.join(work, "root")
    big = os.path.join(root, "big")
    os.makedirs(big)
    for i in range(args.files):
        open(os.path.join(big, "file%06d.dat" % i), "wb").close()
    os.chmod(root, 0o755)
    os.chmod(work, 0o755)

    proc = None
    try:
        if server == "vsftpd":
            proc, port, user, password = listing.start_vsftpd(root, work)
        else:
            proc, port, user, password = listing.start_pyftpdlib(root)
        env = dict(os.environ, TOVALO_PASSWORD=password, QT_QPA_PLATFORM="offscreen")
        url = "ftp://%s:%s@127.0.0.1:%d/big/" % (user, password, port)
        curl_cmd = ["curl", "-s", url, "-o", "/dev/null"]

        curl_times, win_times, stalls = [], [], []
        for _ in range(args.runs):
            t, rc, err = listing.timed(curl_cmd)
            if rc != 0:
                raise RuntimeError("curl failed: %s" % err)
            curl_times.append(t)
            out = subprocess.run(
                [args.window, "--port", str(port), "--user", user, "--folder", "/big",
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
        print("server: %s, files: %d, runs: %d" % (server, args.files, args.runs))
        print("curl        median %.3f s  min %.3f s" % (curl_med, min(curl_times)))
        print("window run  median %.3f s  min %.3f s" % (win_med, min(win_times)))
        print("longest event-loop stall %d ms (goal < 100 ms)" % max(stalls))
        ratio = win_med / curl_med
        ok = ratio <= 2.0 and max(stalls) < 100
        print("ratio window/curl %.2f (goal <= 2.00): %s" % (ratio, "met" if ratio <= 2.0 else "MISSED"))
        return 0 if ok else 1
    finally:
        if proc is not None:
            proc.terminate()
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
