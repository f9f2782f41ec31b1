#!/usr/bin/python3
"""Peak memory of tovalo-ls on very large listings.

A small FTP server on 127.0.0.1 (passive mode, plain FTP) makes up its listing as it
sends it, so no folder of a million files has to exist: a folder of exactly --rows files
(by default the most a run keeps, 1,000,000), and a folder whose listing never ends,
which the run must cut at that many rows. tovalo-ls lists each once; the peak resident
memory is read from the kernel (wait4), as `/usr/bin/time -v` would report it.
"""
import argparse
import os
import socket
import subprocess
import sys
import threading
import time

GOAL_MIB = 200
LINE = b"-rw-r--r-- 1 ftp ftp 1024 Jan  1  2024 file%07d.dat\r\n"
BLOCK = 10000


def listing(rows):
    """The listing's bytes in blocks; rows None: without end."""
    start = 0
    while rows is None or start < rows:
        end = start + BLOCK if rows is None else min(rows, start + BLOCK)
        yield b"".join(LINE % i for i in range(start, end))
        start = end


def session(conn, rows):
    conn.sendall(b"220 bench server\r\n")
    data_listener = None
    with conn, conn.makefile("rb") as commands:
        for raw in commands:
            verb = raw.split(b" ", 1)[0].strip().upper()
            if verb == b"USER":
                conn.sendall(b"331 password\r\n")
            elif verb == b"PASS":
                conn.sendall(b"230 logged in\r\n")
            elif verb in (b"TYPE", b"OPTS"):
                conn.sendall(b"200 ok\r\n")
            elif verb == b"FEAT":
                conn.sendall(b"211-Features:\r\n EPSV\r\n211 End\r\n")
            elif verb == b"CWD":
                conn.sendall(b"250 ok\r\n")
            elif verb == b"PWD":
                conn.sendall(b'257 "/big"\r\n')
            elif verb == b"EPSV":
                data_listener = socket.create_server(("127.0.0.1", 0))
                conn.sendall(b"229 passive (|||%d|)\r\n" % data_listener.getsockname()[1])
            elif verb == b"LIST" and data_listener:
                conn.sendall(b"150 listing\r\n")
                data, _ = data_listener.accept()
                data_listener.close()
                data_listener = None
                complete = True
                try:
                    for block in listing(rows):
                        data.sendall(block)
                except OSError:  # the client closed it: the listing was cut
                    complete = False
                data.close()
                conn.sendall(b"226 done\r\n" if complete else b"426 aborted\r\n")
            elif verb == b"QUIT":
                conn.sendall(b"221 bye\r\n")
                return
            else:
                conn.sendall(b"502 not here\r\n")


def serve(listener, rows):
    while True:
        try:
            conn, _ = listener.accept()
        except OSError:
            return
        threading.Thread(target=session, args=(conn, rows), daemon=True).start()


def measure(ls, rows, endless):
    listener = socket.create_server(("127.0.0.1", 0))
    threading.Thread(target=serve, args=(listener, None if endless else rows), daemon=True).start()
    cmd = [ls, "--passive", "--max-rows", str(rows), "127.0.0.1:%d" % listener.getsockname()[1],
           "bench", "/big"]
    started = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env=dict(os.environ, TOVALO_PASSWORD="bench"))
    printed = 0
    for line in proc.stdout:
        printed += line.startswith(b"F\t")
    err = proc.stderr.read().decode("utf-8", "replace").strip()
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - started
    listener.close()
    return printed, os.waitstatus_to_exitcode(status), usage.ru_maxrss / 1024.0, seconds, err


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ls", required=True, help="path of tovalo-ls")
    ap.add_argument("--rows", type=int, default=1000000)
    args = ap.parse_args()
    ok = True
    for endless in (False, True):
        printed, code, mib, seconds, err = measure(args.ls, args.rows, endless)
        # A folder of exactly the cap is listed whole; an endless one is cut at the cap.
        expected = (3 if endless else 0, args.rows)
        met = (code, printed) == expected and mib <= GOAL_MIB
        ok = ok and met
        print("%-9s listing: %d rows, exit %d, %.1f s, peak %.1f MiB (goal <= %d MiB): %s"
              % ("endless" if endless else "%d-row" % args.rows, printed, code, seconds, mib,
                 GOAL_MIB, "met" if met else "MISSED"))
        if err:
            print("  stderr: " + err)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
