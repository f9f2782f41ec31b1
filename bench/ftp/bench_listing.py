#!/usr/bin/python3
"""Times tovalo-ls against curl listing one folder of many files on a local server.

Both clients list the same folder on the same server in the same run, alternately:
curl with one raw LIST (`curl -s ftp://host:port/folder/ -o /dev/null`), tovalo-ls with
the whole browse run (login, CWD, PWD, listing, parsing, rows, output). The server is
vsftpd on 127.0.0.1 when it is installed and we may run it (root), else pyftpdlib.
"""
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import benchlib  # noqa: E402


def main():
    args = benchlib.parse_args("--ls", "path of tovalo-ls")
    with benchlib.served_folder(args.files, args.server, "tovalo-bench-") as served:
        env = dict(os.environ, TOVALO_PASSWORD=served.password)
        ls_cmd = [args.ls, "--passive", "--port", str(served.port), "127.0.0.1", served.user, "/big"]

        # Check once that tovalo-ls really lists every file.
        out = subprocess.run(ls_cmd, stdout=subprocess.PIPE, env=env, check=False)
        rows = out.stdout.count(b"\nF\t")
        if out.returncode != 0 or rows != args.files:
            raise RuntimeError("tovalo-ls listed %d rows (exit %d)" % (rows, out.returncode))

        ls_times, curl_times, ls_cpu, curl_cpu = [], [], [], []
        for _ in range(args.runs):
            t, rc, err, cpu = benchlib.timed_cpu(served.curl_cmd)
            if rc != 0:
                raise RuntimeError("curl failed: %s" % err)
            curl_times.append(t)
            curl_cpu.append(cpu)
            t, rc, err, cpu = benchlib.timed_cpu(ls_cmd, env)
            if rc != 0:
                raise RuntimeError("tovalo-ls failed: %s" % err)
            ls_times.append(t)
            ls_cpu.append(cpu)
        ls_med, curl_med = statistics.median(ls_times), statistics.median(curl_times)
        print("server: %s, files: %d, runs: %d" % (served.server, args.files, args.runs))
        print("curl      median %.3f s  min %.3f s  CPU %.3f s"
              % (curl_med, min(curl_times), statistics.median(curl_cpu)))
        print("tovalo-ls median %.3f s  min %.3f s  CPU %.3f s"
              % (ls_med, min(ls_times), statistics.median(ls_cpu)))
        return 0 if benchlib.report_ratio("tovalo-ls/curl", ls_med / curl_med, 1.15, 1.05) else 1


if __name__ == "__main__":
    sys.exit(main())
