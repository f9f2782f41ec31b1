#!/usr/bin/python3
"""Times tovalo-ls against curl listing one folder of many files on a local server.

Both clients list the same folder on the same server in the same run, alternately:
curl with one raw LIST (`curl -s ftp://host:port/folder/ -o /dev/null`), tovalo-ls with
the whole browse run (login, CWD, PWD, listing, parsing, rows, output). The server is
vsftpd on 127.0.0.1 when it is installed and we may run it (root), else pyftpdlib.
"""
import argparse
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
RUNNER = os.path.join(HERE, "..", "..", "tests", "support", "pyftpd_runner.py")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_listening(port, proc, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if proc.poll() is not None:
            raise RuntimeError("server ended early")
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1) as s:
                if s.recv(64).startswith(b"220"):
                    return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("server did not start")


def start_vsftpd(root, work):
    port = free_port()
    low = free_port()
    os.makedirs("/var/run/vsftpd/empty", exist_ok=True)
    conf = os.path.join(work, "vsftpd.conf")
    with open(conf, "w") as f:
        f.write(
            "\n".join(
                [
                    "listen=YES",
                    "listen_ipv6=NO",
                    "listen_address=127.0.0.1",
                    "listen_port=%d" % port,
                    "background=NO",
                    "anonymous_enable=YES",
                    "no_anon_password=YES",
                    "anon_root=%s" % root,
                    "local_enable=NO",
                    "write_enable=NO",
                    "dirmessage_enable=NO",
                    "xferlog_enable=NO",
                    "connect_from_port_20=NO",
                    "pasv_enable=YES",
                    "pasv_address=127.0.0.1",
                    "pasv_min_port=%d" % low,
                    "pasv_max_port=%d" % min(low + 50, 65535),
                    "seccomp_sandbox=NO",
                    "secure_chroot_dir=/var/run/vsftpd/empty",
                    "",
                ]
            )
        )
    proc = subprocess.Popen(["/usr/sbin/vsftpd", conf], stdin=subprocess.DEVNULL)
    wait_listening(port, proc)
    return proc, port, "anonymous", "guest"


def start_pyftpdlib(root):
    proc = subprocess.Popen(
        ["/usr/bin/python3", RUNNER, root, "bench:bench::elr"],
        stdin=subprocess.PIPE,
        stdout=subprocess.PIPE,
        text=True,
    )
    line = proc.stdout.readline()
    if not line.startswith("PORT "):
        raise RuntimeError("pyftpdlib did not start")
    port = int(line.split()[1])
    wait_listening(port, proc)
    return proc, port, "bench", "bench"


def timed(cmd, env=None):
    t0 = time.perf_counter()
    r = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    return time.perf_counter() - t0, r.returncode, r.stderr


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ls", required=True, help="path of tovalo-ls")
    ap.add_argument("--files", type=int, default=100000)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--server", choices=["auto", "vsftpd", "pyftpdlib"], default="auto")
    args = ap.parse_args()

    server = args.server
    if server == "auto":
        server = "vsftpd" if os.path.exists("/usr/sbin/vsftpd") and os.geteuid() == 0 else "pyftpdlib"

    work = tempfile.mkdtemp(prefix="tovalo-bench-")
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
            proc, port, user, password = start_vsftpd(root, work)
        else:
            proc, port, user, password = start_pyftpdlib(root)
        env = dict(os.environ, TOVALO_PASSWORD=password)
        ls_cmd = [args.ls, "--passive", "--port", str(port), "127.0.0.1", user, "/big"]
        url = "ftp://%s:%s@127.0.0.1:%d/big/" % (user, password, port)
        curl_cmd = ["curl", "-s", url, "-o", "/dev/null"]

        # Check once that tovalo-ls really lists every file.
        out = subprocess.run(ls_cmd, stdout=subprocess.PIPE, env=env, check=False)
        rows = out.stdout.count(b"\nF\t")
        if out.returncode != 0 or rows != args.files:
            raise RuntimeError("tovalo-ls listed %d rows (exit %d)" % (rows, out.returncode))

        ls_times, curl_times = [], []
        for _ in range(args.runs):
            t, rc, err = timed(curl_cmd)
            if rc != 0:
                raise RuntimeError("curl failed: %s" % err)
            curl_times.append(t)
            t, rc, err = timed(ls_cmd, env)
            if rc != 0:
                raise RuntimeError("tovalo-ls failed: %s" % err)
            ls_times.append(t)
        ls_med, curl_med = statistics.median(ls_times), statistics.median(curl_times)
        print("server: %s, files: %d, runs: %d" % (server, args.files, args.runs))
        print("curl      median %.3f s  min %.3f s" % (curl_med, min(curl_times)))
        print("tovalo-ls median %.3f s  min %.3f s" % (ls_med, min(ls_times)))
        ratio = ls_med / curl_med
        print("ratio tovalo-ls/curl %.2f (goal <= 1.30): %s" % (ratio, "met" if ratio <= 1.3 else "MISSED"))
        return 0 if ratio <= 1.3 else 1
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
