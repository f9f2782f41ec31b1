# Runs pyftpdlib on 127.0.0.1 for the tests. Usage:
#   pyftpd_runner.py ROOT USER:PASSWORD:HOME [...]
# HOME is relative to ROOT. Prints "PORT <n>" once listening; ends when killed or when
# the test process that started it is gone.
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    authorizer = DummyAuthorizer()
    for entry in sys.argv[2:]:
        name, password, home = entry.split(":", 2)
        authorizer.add_user(name, password, os.path.join(sys.argv[1], home), perm="elr")
    FTPHandler.authorizer = authorizer
    FTPHandler.auth_failed_timeout = 0.1
    server = FTPServer(("127.0.0.1", 0), FTPHandler)
    parent = os.getppid()

    def watch_parent():
        while os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)

    threading.Thread(target=watch_parent, daemon=True).start()
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever(timeout=0.2)


if __name__ == "__main__":
    main()
