#!/usr/bin/env python3
"""Side-by-side: `velkaro ftp` against two FTP servers from Debian on loopback, same files, rounds interleaved.

Usage (as root, after `apt-get install python3-pyftpdlib vsftpd`):
    bench/ftp_compare.py path/to/velkaro [--rounds N] [--big-mib M]

Peers: pyftpdlib (one event loop in python, the model closest to ours) and vsftpd (a process per client, files
sent with sendfile). vsftpd refuses a writable anonymous root, so every server serves the same read-only root with a
writable incoming/ folder. Figures (best of the rounds): RETR and STOR of one big file, 200 sequential sessions
(login, PASV, LIST, QUIT), 50 concurrent clients each downloading 10 MiB, 5000 NOOP round trips, LIST of a folder
of 10,000 files, and each server's peak memory (resident set of the server and its children) during the big RETR.
Prints every figure for the three servers and the ratios ours/peer (below 1 is better for times and memory)."""
import argparse
import ftplib
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_port(port, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return
        except OSError:
            time.sleep(0.1)
    raise SystemExit(f"no server on port {port}")


def tree_rss_kib(pid):
    """Resident set of a process and all its descendants, in KiB."""
    total = 0
    pending = [pid]
    while pending:
        p = pending.pop()
        try:
            with open(f"/proc/{p}/status") as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        total += int(line.split()[1])
            with open(f"/proc/{p}/task/{p}/children") as f:
                pending += [int(c) for c in f.read().split()]
        except OSError:
            pass
    return total


class Server:
    def __init__(self, name, cmd, port, log):
        self.name, self.port = name, port
        self.proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=log, stdin=subprocess.DEVNULL)
        wait_port(port)

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def start_servers(velkaro, root, work):
    log = open(os.path.join(work, "servers.log"), "wb")
    servers = []
    p = free_port()
    servers.append(Server("velkaro", [velkaro, "ftp", "--dir", root, "--port", str(p)], p, log))
    p = free_port()
    servers.append(Server("pyftpdlib", ["/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", str(p),
                                        "-d", root, "-w"], p, log))
    p = free_port()
    empty = os.path.join(work, "vsftpd-empty")
    os.makedirs(empty, exist_ok=True)
    conf = os.path.join(work, "vsftpd.conf")
    with open(conf, "w") as f:
        f.write(f"""listen=YES
listen_address=127.0.0.1
listen_port={p}
background=NO
anonymous_enable=YES
local_enable=NO
anon_root={root}
no_anon_password=YES
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
seccomp_sandbox=NO
secure_chroot_dir={empty}
max_clients=200
max_per_ip=200
pasv_enable=YES
pasv_min_port=40000
pasv_max_port=60000
xferlog_enable=NO
use_localtime=YES
""")
    servers.append(Server("vsftpd", ["/usr/sbin/vsftpd", conf], p, log))
    return servers


def session(port):
    ftp = ftplib.FTP()
    ftp.connect("127.0.0.1", port, timeout=120)
    ftp.login()
    return ftp


def timed(fn):
    start = time.monotonic()
    fn()
    return time.monotonic() - start


def retr(port, name, peak=None, pid=None):
    ftp = session(port)
    received = [0]

    def sink(b):
        received[0] += len(b)
        if peak is not None and received[0] % (32 << 20) < len(b):
            peak[0] = max(peak[0], tree_rss_kib(pid))

    ftp.retrbinary("RETR " + name, sink, blocksize=1 << 20)
    ftp.quit()
    return received[0]


class Zeros:
    """A file-like source of `n` bytes without holding them."""

    def __init__(self, n):
        self.left = n
        self.block = os.urandom(1 << 20)

    def read(self, size=-1):
        size = min(self.left, len(self.block) if size < 0 else min(size, len(self.block)))
        self.left -= size
        return self.block[:size]


def stor(port, name, n):
    ftp = session(port)
    ftp.storbinary("STOR incoming/" + name, Zeros(n), blocksize=1 << 20)
    ftp.quit()


def sessions(port, count):
    for _ in range(count):
        ftp = session(port)
        ftp.retrlines("LIST", lambda l: None)
        ftp.quit()


def concurrent(port, clients, name):
    errors = []

    def one():
        try:
            retr(port, name)
        except Exception as e:  # a failed client counts against the server
            errors.append(e)

    threads = [threading.Thread(target=one) for _ in range(clients)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(300)
    if errors:
        raise RuntimeError(f"{len(errors)} clients failed: {errors[0]}")


def noops(port, count):
    ftp = session(port)
    for _ in range(count):
        ftp.voidcmd("NOOP")
    ftp.quit()


def list_many(port):
    ftp = session(port)
    lines = []
    ftp.retrlines("LIST many", lines.append)
    ftp.quit()
    if len(lines) < 10000:
        raise RuntimeError(f"LIST gave {len(lines)} lines")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("velkaro")
    ap.add_argument("--rounds", type=int, default=2)
    ap.add_argument("--big-mib", type=int, default=1024)
    args = ap.parse_args()
    velkaro = os.path.abspath(args.velkaro)
    big = args.big_mib << 20
    with tempfile.TemporaryDirectory(prefix="velkaro-compare-") as work:
        root = os.path.join(work, "root")
        os.makedirs(os.path.join(root, "many"))
        os.makedirs(os.path.join(root, "incoming"))
        shutil.chown(os.path.join(root, "incoming"), "ftp", "ftp")
        os.chmod(os.path.join(root, "incoming"), 0o777)
        with open(os.path.join(root, "big.bin"), "wb") as f:
            block = os.urandom(1 << 20)
            for _ in range(args.big_mib):
                f.write(block)
        with open(os.path.join(root, "ten.bin"), "wb") as f:
            f.write(os.urandom(10 << 20))
        for i in range(10000):
            with open(os.path.join(root, "many", f"datasheet-{i:05d}.pdf"), "wb") as f:
                f.write(b"%PDF")
        os.chmod(root, 0o755)
        os.chmod(work, 0o755)

        servers = start_servers(velkaro, root, work)
        figures = {s.name: {} for s in servers}

        def record(server, key, value):
            old = figures[server.name].get(key)
            figures[server.name][key] = value if old is None else min(old, value)

        try:
            for r in range(args.rounds):
                for s in servers:  # rounds interleaved: each figure of each server once per round
                    peak = [0]
                    record(s, f"RETR {args.big_mib} MiB (s)",
                           timed(lambda: retr(s.port, "big.bin", peak, s.proc.pid)))
                    record(s, f"peak RSS during RETR (MiB)", peak[0] / 1024)
                    record(s, f"STOR {args.big_mib} MiB (s)", timed(lambda: stor(s.port, f"up-{r}.bin", big)))
                    os.remove(os.path.join(root, "incoming", f"up-{r}.bin"))
                    record(s, "200 sessions (s)", timed(lambda: sessions(s.port, 200)))
                    record(s, "50 clients x 10 MiB (s)", timed(lambda: concurrent(s.port, 50, "ten.bin")))
                    record(s, "5000 NOOP (s)", timed(lambda: noops(s.port, 5000)))
                    record(s, "LIST 10,000 files (s)", timed(lambda: list_many(s.port)))
                    print(f"round {r + 1}: {s.name} done", file=sys.stderr, flush=True)
        finally:
            for s in servers:
                s.stop()

    keys = list(figures["velkaro"].keys())
    print(f"{'figure':34} {'velkaro':>10} {'pyftpdlib':>10} {'vsftpd':>10} {'/pyftpd':>8} {'/vsftpd':>8}")
    for k in keys:
        ours, py, vs = figures["velkaro"][k], figures["pyftpdlib"][k], figures["vsftpd"][k]
        print(f"{k:34} {ours:10.3f} {py:10.3f} {vs:10.3f} {ours / py:8.2f} {ours / vs:8.2f}")


if __name__ == "__main__":
    main()
