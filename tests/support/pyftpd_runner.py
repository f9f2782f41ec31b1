# Runs pyftpdlib on 127.0.0.1 for the tests. Usage:
#   pyftpd_runner.py ROOT USER:PASSWORD:HOME [...]
# HOME is relative to ROOT. Prints "PORT <n>" once listening; ends on SIGTERM or when
# its standard input closes (the test process died).
import logging
import os
import signal
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    logging.basicConfig(level=logging.WARNING)
    root = sys.argv[1]
    authorizer = DummyAuthorizer()
    for entry in sys.argv[2:]:
        name, password, home = entry.split(":", 2)
        authorizer.add_user(name, password, os.path.join(root, home), perm="elr")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "test server ready"
    Handler.auth_failed_timeout = 0.1
    Handler.timeout = 60
    server = FTPServer(("127.0.0.1", 0), Handler)
    server.max_cons = 32

    def watch_stdin():
        try:
            sys.stdin.read()
        finally:
            os.kill(os.getpid(), signal.SIGTERM)

    threading.Thread(target=watch_stdin, daemon=True).start()
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever(timeout=0.2)


if __name__ == "__main__":
    main()
