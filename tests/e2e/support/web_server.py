"""Shared by the web end-to-end scripts: `velkaro web` started on a free port, its address read from what it prints."""
import os
import re
import signal
import subprocess
import time


class WebServer:
    """`velkaro web --dir DIR --port 0 --no-announce [extra...]`; `port`, `key` and `url` from the address line.
    With `log` (a path) its standard error goes there."""

    def __init__(self, velkaro, folder, extra=(), log=None):
        self.proc = subprocess.Popen([velkaro, "web", "--dir", folder, "--port", "0", "--no-announce", *extra],
                                     stdout=subprocess.PIPE, stdin=subprocess.DEVNULL,
                                     stderr=open(log, "wb") if log else subprocess.DEVNULL)
        deadline = time.time() + 20
        line = ""
        while time.time() < deadline and "?k=" not in line:
            line = self.proc.stdout.readline().decode()
            if not line:
                break
        found = re.match(r"http://[^/]*:(\d+)/\?k=([0-9a-f]{32})$", line.strip())
        if not found:
            self.proc.kill()
            raise SystemExit("the web server did not start: " + repr(line))
        self.port, self.key = int(found.group(1)), found.group(2)
        self.url = f"http://127.0.0.1:{self.port}"

    def stop(self):
        self.proc.send_signal(signal.SIGINT)
        try:
            return self.proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            return "hung"
