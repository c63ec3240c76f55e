#!/usr/bin/env python3
"""Real FTP clients (python ftplib, curl, lftp) against `velkaro ftp`: every file moved keeps its bytes (sha256),
in passive and active mode, and the served folder stays the limit. Usage: ftp_clients.py path/to/velkaro"""
import ftplib
import hashlib
import os
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
from ftp_server import Server as VelkaroServer, check, ftp_session, sha, summary  # noqa: E402

VELKARO = os.path.abspath(sys.argv[1])
SIZES = [0, 1, 4095, 4096, 4097, 1 << 20, 100 << 20]
CLIENT_TIMEOUT = 120  # seconds for any one client run; nothing here waits longer


def Server(folder, work):
    return VelkaroServer(VELKARO, folder, work)


def run(cmd):
    return subprocess.run(cmd, capture_output=True, timeout=CLIENT_TIMEOUT)


def tree(root):
    out = {}
    for d, _, files in os.walk(root):
        for f in files:
            p = os.path.join(d, f)
            out[os.path.relpath(p, root)] = sha(p)
    return out


def test_ftplib(port, served, src, work):
    for passive in (True, False):
        mode = "passive" if passive else "active"
        ftp = ftp_session(port)
        ftp.set_pasv(passive)
        for size in SIZES:
            name = f"{mode}-{size}.bin"
            with open(os.path.join(src, f"{size}.bin"), "rb") as f:
                ftp.storbinary("STOR " + name, f, blocksize=1 << 16)
            check(f"ftplib {mode} upload {size} bytes", sha(os.path.join(served, name)) == sha(os.path.join(src, f"{size}.bin")))
            h = hashlib.sha256()
            ftp.retrbinary("RETR " + name, h.update, blocksize=1 << 16)
            check(f"ftplib {mode} download {size} bytes", h.hexdigest() == sha(os.path.join(src, f"{size}.bin")))
        lines = []
        ftp.retrlines("LIST", lines.append)
        check(f"ftplib {mode} LIST shows the uploads", any(l.endswith(f" {mode}-4097.bin") for l in lines), lines[:3])
        ftp.quit()

    ftp = ftp_session(port)
    check("ftplib SIZE of a large file", ftp.size("passive-104857600.bin") == 100 << 20)
    ftp.mkd("Folder A")
    ftp.cwd("Folder A")
    check("ftplib PWD inside a folder", ftp.pwd() == "/Folder A/")
    with open(os.path.join(src, "4096.bin"), "rb") as f:
        ftp.storbinary("STOR inner.bin", f)
    ftp.cwd("/")
    ftp.rename("Folder A/inner.bin", "renamed.bin")
    check("ftplib rename", os.path.exists(os.path.join(served, "renamed.bin")) and
          not os.path.exists(os.path.join(served, "Folder A", "inner.bin")))
    ftp.delete("renamed.bin")
    check("ftplib delete", not os.path.exists(os.path.join(served, "renamed.bin")))
    ftp.rmd("Folder A")
    check("ftplib mkdir and rmdir", not os.path.exists(os.path.join(served, "Folder A")))

    # Confinement: nothing outside the served folder can be reached, listed, changed or removed.
    ftp.cwd("..")  # ftplib sends CDUP, which at the top stays there
    check("CDUP at the top stays at /", ftp.pwd() == "/")
    refusals = [("CWD ..", lambda: ftp.sendcmd("CWD ..")),
                ("CWD outside link", lambda: ftp.cwd("outside")),
                ("RETR ../secret.txt", lambda: ftp.retrbinary("RETR ../secret.txt", lambda b: None)),
                ("RETR outside/secret.txt", lambda: ftp.retrbinary("RETR outside/secret.txt", lambda b: None)),
                ("STOR ../planted.txt", lambda: ftp.storbinary("STOR ../planted.txt", open(os.path.join(src, "1.bin"), "rb"))),
                ("DELE /../secret.txt", lambda: ftp.delete("/../secret.txt")),
                ("RMD /", lambda: ftp.rmd("/")),
                ("RMD .", lambda: ftp.rmd(".")),
                ("LIST ..", lambda: ftp.retrlines("LIST ..", lambda l: None))]
    for label, action in refusals:
        try:
            action()
            check("refused: " + label, False, "accepted")
        except ftplib.error_perm as e:
            check("refused: " + label, str(e).startswith("5"), str(e))
    check("outside files untouched", open(os.path.join(work, "secret.txt")).read() == "secret" and
          not os.path.exists(os.path.join(work, "planted.txt")))
    check("served folder intact after RMD attempts", os.path.exists(os.path.join(served, "passive-1.bin")))
    ftp.quit()


def test_curl(port, served, src, work):
    url = f"ftp://127.0.0.1:{port}/"
    r = run(["curl", "-sS", "--max-time", "60", url])
    check("curl list", r.returncode == 0 and b"passive-4096.bin" in r.stdout, r.stderr)
    for active in (False, True):
        mode = "active" if active else "passive"
        extra = ["--ftp-port", "127.0.0.1"] if active else []
        for size in (0, 4097, 1 << 20):
            up = f"curl-{mode}-{size}.bin"
            r = run(["curl", "-sS", "--max-time", "60", *extra, "-T", os.path.join(src, f"{size}.bin"), url + up])
            check(f"curl {mode} upload {size} bytes", r.returncode == 0 and
                  sha(os.path.join(served, up)) == sha(os.path.join(src, f"{size}.bin")), r.stderr)
            out = os.path.join(work, "curl-down.bin")
            r = run(["curl", "-sS", "--max-time", "60", *extra, "-o", out, url + up])
            check(f"curl {mode} download {size} bytes", r.returncode == 0 and os.path.exists(out) and
                  sha(out) == sha(os.path.join(src, f"{size}.bin")), r.stderr)
            if os.path.exists(out):
                os.remove(out)
    r = run(["curl", "-sS", "--max-time", "60", "-Q", "DELE curl-passive-0.bin", url])
    check("curl delete through -Q", r.returncode == 0 and not os.path.exists(os.path.join(served, "curl-passive-0.bin")),
          r.stderr)


def test_lftp(port, served, src, work):
    local = os.path.join(work, "mirror-src")
    os.makedirs(os.path.join(local, "sub", "deeper"))
    for size in (0, 1, 4096, 1 << 20):
        for d in ("", "sub", os.path.join("sub", "deeper")):
            with open(os.path.join(local, d, f"m{size}.bin"), "wb") as f:
                f.write(os.urandom(size))
    for passive in ("on", "off"):
        settings = (f"set ftp:ssl-allow no; set ftp:passive-mode {passive}; set net:max-retries 1; "
                    f"set net:timeout 20; set cmd:fail-exit yes; open -p {port} 127.0.0.1")
        remote = f"mirror-{passive}"
        r = run(["lftp", "-c", f"{settings}; mirror -R {local} {remote}"])
        check(f"lftp mirror up (passive {passive})", r.returncode == 0 and tree(os.path.join(served, remote)) == tree(local),
              r.stderr[-300:])
        down = os.path.join(work, f"mirror-down-{passive}")
        r = run(["lftp", "-c", f"{settings}; mirror {remote} {down}"])
        check(f"lftp mirror down (passive {passive})", r.returncode == 0 and tree(down) == tree(local), r.stderr[-300:])


def main():
    with tempfile.TemporaryDirectory(prefix="velkaro-e2e-") as work:
        served = os.path.join(work, "served")
        src = os.path.join(work, "src")
        os.makedirs(served)
        os.makedirs(src)
        for size in SIZES:
            with open(os.path.join(src, f"{size}.bin"), "wb") as f:
                remaining = size
                while remaining:
                    block = os.urandom(min(remaining, 1 << 20))
                    f.write(block)
                    remaining -= len(block)
        with open(os.path.join(work, "secret.txt"), "w") as f:
            f.write("secret")
        os.symlink(work, os.path.join(served, "outside"))

        server = Server(served, work)
        check("start prints the address (or no-network) line first", len(server.lines) >= 2 and
              (server.lines[0].startswith("ftp://") or "NETWORK" in server.lines[0]), server.lines)
        check("start prints the storage line", server.lines[1].startswith("Device: ") and
              server.lines[1].endswith("Mb free"), server.lines)
        busy = subprocess.run([VELKARO, "ftp", "--dir", served, "--port", str(server.port)], capture_output=True,
                              timeout=20)
        check("a busy port is reported with a non-zero exit", busy.returncode != 0 and b"port" in busy.stderr,
              busy.stderr)
        try:
            test_ftplib(server.port, served, src, work)
            test_curl(server.port, served, src, work)
            test_lftp(server.port, served, src, work)
        finally:
            code = server.stop()
        check("SIGINT stops the server cleanly", code == 0, code)

        server = Server(served, work)
        ftp = ftp_session(server.port)  # a client still connected when the server is told to stop
        code = server.stop(signal.SIGTERM)
        check("SIGTERM stops the server with a client connected", code == 0, code)
        try:
            ftp.voidcmd("NOOP")
            check("the connected client is disconnected", False, "still answered")
        except (EOFError, OSError, ftplib.Error):
            check("the connected client is disconnected", True)

    return summary()


if __name__ == "__main__":
    sys.exit(main())
