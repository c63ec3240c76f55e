"""Shared by the end-to-end FTP scripts: `velkaro ftp` started on a free port, and pass/fail bookkeeping."""
import ftplib
import hashlib
import os
import signal
import subprocess
import time

results = {"passed": 0, "failed": 0}


def check(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else f"  ({detail})"), flush=True)


def summary():
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 0 if results["failed"] == 0 else 1


def sha(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


class Server:
    """`[prefix...] velkaro ftp --dir DIR --port 0 [extra...]`, its port read from the line it prints; logs go to a file."""

    def __init__(self, velkaro, folder, work, extra=(), prefix=()):
        self.log = open(os.path.join(work, "server.log"), "ab")
        self.proc = subprocess.Popen([*prefix, velkaro, "ftp", "--dir", folder, "--port", "0", *extra],
                                     stdout=subprocess.PIPE, stderr=self.log, stdin=subprocess.DEVNULL)
        self.lines = []
        deadline = time.time() + 20
        self.port = None
        while time.time() < deadline and self.port is None:
            line = self.proc.stdout.readline().decode()
            if not line:
                break
            self.lines.append(line.rstrip("\n"))
            if line.startswith("Serving "):
                self.port = int(line.rsplit(" ", 1)[1])
        if self.port is None:
            self.proc.kill()
            raise SystemExit("the server did not start: " + repr(self.lines))

    def stop(self, sig=signal.SIGINT):
        self.proc.send_signal(sig)
        try:
            code = self.proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            code = "hung"
        self.log.close()
        return code


def ftp_session(port, host="127.0.0.1", timeout=30):
    ftp = ftplib.FTP()
    ftp.connect(host, port, timeout=timeout)
    ftp.login("user", "pass")
    return ftp
