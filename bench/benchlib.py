"""What the listing benchmarks share: a local FTP server over a folder of many empty files,
and timing a command.

The server is vsftpd on 127.0.0.1 when it is installed and we may run it (root), else
pyftpdlib. The scripts that use this add this folder to sys.path before importing it.
"""
import argparse
import contextlib
import os
import shutil
import socket
import resource
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
RUNNER = os.path.join(HERE, "..", "tests", "support", "pyftpd_runner.py")


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


def report_ratio(what, ratio, bar, goal):
    """Prints a ratio against its bar and goal; true when the bar is met."""
    met = ratio <= bar
    print("ratio %s %.2f (bar %.2f, goal %.2f): %s"
          % (what, ratio, bar, goal, "met" if met else "MISSED"))
    return met


def timed(cmd, env=None):
    t, rc, err, _ = timed_cpu(cmd, env)
    return t, rc, err


def timed_cpu(cmd, env=None):
    """Wall time, exit status, standard error and CPU time (user + system) of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    r = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    wall = time.perf_counter() - t0
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, r.returncode, r.stderr, cpu


def parse_args(program_option, program_help):
    """The options every benchmark takes, plus the path of the program it times."""
    ap = argparse.ArgumentParser()
    ap.add_argument(program_option, required=True, help=program_help)
    ap.add_argument("--files", type=int, default=100000)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--server", choices=["auto", "vsftpd", "pyftpdlib"], default="auto")
    return ap.parse_args()


class Served:
    """A running server over /big holding the benchmark's files."""

    def __init__(self, server, port, user, password):
        self.server = server
        self.port = port
        self.user = user
        self.password = password
        self.curl_cmd = [
            "curl",
            "-s",
            "ftp://%s:%s@127.0.0.1:%d/big/" % (user, password, port),
            "-o",
            "/dev/null",
        ]


@contextlib.contextmanager
def served_folder(files, server, prefix):
    if server == "auto":
        server = "vsftpd" if os.path.exists("/usr/sbin/vsftpd") and os.geteuid() == 0 else "pyftpdlib"

    work = tempfile.mkdtemp(prefix=prefix)
    proc = None
    try:
        root = os.path.join(work, "root")
        big = os.path.join(root, "big")
        os.makedirs(big)
        for i in range(files):
            open(os.path.join(big, "file%06d.dat" % i), "wb").close()
        os.chmod(root, 0o755)
        os.chmod(work, 0o755)

        if server == "vsftpd":
            proc, port, user, password = start_vsftpd(root, work)
        else:
            proc, port, user, password = start_pyftpdlib(root)
        yield Served(server, port, user, password)
    finally:
        if proc is not None:
            stop(proc)
        shutil.rmtree(work, ignore_errors=True)


def stop(proc, timeout=5):
    """Ends a helper process: asked first, killed when it does not go in time."""
    proc.terminate()
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def timed_curl(served):
    t, rc, err = timed(served.curl_cmd)
    if rc != 0:
        raise RuntimeError("curl failed: %s" % err)
    return t
