#!/usr/bin/env python3
"""Side-by-side: `velkaro ftp` against two FTP servers from Debian on loopback, same files, rounds interleaved.

Usage (as root, after `apt-get install python3-pyftpdlib vsftpd`):
    bench/ftp_compare.py path/to/velkaro [--rounds N] [--big-mib M]

Peers: pyftpdlib (one event loop in python, the model closest to ours) and vsftpd (a process per client, files
sent with sendfile). vsftpd refuses a writable anonymous root, so every server serves the same read-only root with a
writable incoming/ folder. `velkaro ftp` runs with its default options (quiet: no per-command log lines).
Figures (median of the rounds; each round measures every figure of every server in turn, the order turning every
round): RETR and STOR of one big
file in MiB/s with the server's CPU seconds for each (user + system time from /proc/<pid>/stat of the server and of
every process it ran meanwhile, sampled every 8 MiB: vsftpd's listener does not collect its session processes'
times, so a before/after of the listener alone would miss them), each server's peak memory (resident set of the
server and its children) during the big RETR, 200 sequential sessions (login, PASV, LIST of a root holding a
10,000-entry folder, QUIT) with the server's CPU for them (not known for vsftpd: its session processes end
unsampled), 50 concurrent clients each downloading 10 MiB (aggregate MiB/s), 5000 NOOP round trips (µs each) and
LIST of a folder of 10,000 files. Prints the three servers, the better peer on each figure, the ratio ours/better
peer and whether ours is at least as good."""
import argparse
import ftplib
import math
import os
import shutil
import statistics
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
    for p in tree_pids(pid):
        try:
            with open(f"/proc/{p}/status") as f:
                total += sum(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        except OSError:
            pass
    return total


def tree_pids(pid):
    pids, pending = [], [pid]
    while pending:
        p = pending.pop()
        pids.append(p)
        try:
            with open(f"/proc/{p}/task/{p}/children") as f:
                pending += [int(c) for c in f.read().split()]
        except OSError:
            pass
    return pids


class Meter:
    """Samples a server's tree while a transfer runs: peak resident set, and CPU (user + system time from
    /proc/<pid>/stat) of the server and of every process it runs meanwhile, which a forking server's session
    processes take with them when they exit. sample() is called every few MiB moved."""

    def __init__(self, pid):
        self.pid, self.peak_kib, self.cpu = pid, 0, {}
        self.base = self._times()

    def _times(self):
        times = {}
        for p in tree_pids(self.pid):
            try:
                with open(f"/proc/{p}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                times[p] = int(fields[11]) + int(fields[12])  # utime + stime, in clock ticks
            except OSError:
                pass
        return times

    def sample(self, rss=True):
        for p, ticks in self._times().items():
            self.cpu[p] = max(self.cpu.get(p, 0), ticks - self.base.get(p, 0))
        if rss:
            self.peak_kib = max(self.peak_kib, tree_rss_kib(self.pid))

    def cpu_seconds(self):
        return sum(self.cpu.values()) / os.sysconf("SC_CLK_TCK")


def metered(pid, fn):
    """Wall seconds of fn(meter) and the meter, sampled once more after a short wait for the server's CPU time."""
    meter = Meter(pid)
    start = time.monotonic()
    fn(meter)
    wall = time.monotonic() - start
    time.sleep(0.3)
    meter.sample(rss=False)
    return wall, meter


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
    servers.append(vsftpd_server(root, work, log))
    return servers


def vsftpd_server(root, work, log, extra=""):
    """vsftpd serving `root` to anonymous clients, with `extra` lines of configuration."""
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
""" + extra)
    return Server("vsftpd", ["/usr/sbin/vsftpd", conf], p, log)


def session(port):
    ftp = ftplib.FTP()
    ftp.connect("127.0.0.1", port, timeout=120)
    ftp.login()
    return ftp


def timed(fn):
    start = time.monotonic()
    fn()
    return time.monotonic() - start


SAMPLE_EVERY = 8 << 20


def retr(port, name, meter=None, connect=session):
    ftp = connect(port)
    received = [0]

    def sink(b):
        received[0] += len(b)
        if meter and received[0] % SAMPLE_EVERY < len(b):
            meter.sample()

    ftp.retrbinary("RETR " + name, sink, blocksize=1 << 20)
    ftp.quit()
    return received[0]


class Zeros:
    """A file-like source of `n` bytes without holding them."""

    def __init__(self, n, meter):
        self.left, self.meter = n, meter
        self.block = os.urandom(1 << 20)

    def read(self, size=-1):
        size = min(self.left, len(self.block) if size < 0 else min(size, len(self.block)))
        if self.left % SAMPLE_EVERY < size:
            self.meter.sample(rss=False)
        self.left -= size
        return self.block[:size]


def stor(port, name, n, meter, connect=session):
    ftp = connect(port)
    ftp.storbinary("STOR incoming/" + name, Zeros(n, meter), blocksize=1 << 20)
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
    ap.add_argument("--rounds", type=int, default=3)
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
            figures[server.name].setdefault(key, []).append(value)

        mib = args.big_mib
        try:
            for r in range(args.rounds):
                # Rounds interleaved, each figure of each server once per round; the order turns every round so
                # no server always runs first (right after the files are written) or after the same peer.
                for s in servers[r % len(servers):] + servers[:r % len(servers)]:
                    wall, meter = metered(s.proc.pid, lambda m: retr(s.port, "big.bin", m))
                    record(s, f"RETR {mib} MiB, MiB/s", mib / wall)
                    record(s, "server CPU for that RETR, s", meter.cpu_seconds())
                    record(s, "peak RSS during RETR, MiB", meter.peak_kib / 1024)
                    wall, meter = metered(s.proc.pid, lambda m: stor(s.port, f"up-{r}.bin", big, m))
                    record(s, f"STOR {mib} MiB, MiB/s", mib / wall)
                    record(s, "server CPU for that STOR, s", meter.cpu_seconds())
                    os.remove(os.path.join(root, "incoming", f"up-{r}.bin"))
                    wall, meter = metered(s.proc.pid, lambda m: sessions(s.port, 200))
                    record(s, "200 sessions, s", wall)
                    # A process per session leaves before it can be sampled, and vsftpd's listener does not
                    # collect its sessions' times (cutime): only a single-process server's CPU is known here.
                    record(s, "server CPU for the 200 sessions, s",
                           meter.cpu_seconds() if s.name != "vsftpd" else float("nan"))
                    record(s, "50 clients x 10 MiB, MiB/s", 500 / timed(lambda: concurrent(s.port, 50, "ten.bin")))
                    record(s, "5000 NOOPs, us each", timed(lambda: noops(s.port, 5000)) / 5000 * 1e6)
                    record(s, "LIST 10,000 files, s", timed(lambda: list_many(s.port)))
                    print(f"round {r + 1}: {s.name} done", file=sys.stderr, flush=True)
        finally:
            for s in servers:
                s.stop()

    print(f"{'figure (median of ' + str(args.rounds) + ')':32} {'velkaro':>9} {'pyftpdlib':>9} {'vsftpd':>9}"
          f" {'better peer':>11} {'ours/it':>8}  ours at least as good")
    for k in figures["velkaro"]:
        ours, py, vs = (statistics.median(figures[n][k]) for n in ("velkaro", "pyftpdlib", "vsftpd"))
        higher_better = "MiB/s" in k
        peers = [(n, v) for n, v in (("pyftpdlib", py), ("vsftpd", vs)) if not math.isnan(v)]
        best_name, best = max(peers, key=lambda t: t[1] if higher_better else -t[1])
        ok = ours >= best if higher_better else ours <= best
        print(f"{k:32} {ours:9.3f} {py:9.3f} {vs:9.3f} {best_name:>11} {ours / best:8.2f}  {'yes' if ok else 'no'}")
    print("every round (velkaro / pyftpdlib / vsftpd):")
    for k in figures["velkaro"]:
        print(f"  {k}: " + " / ".join(" ".join(f"{v:.3f}" for v in figures[n][k])
                                      for n in ("velkaro", "pyftpdlib", "vsftpd")))


if __name__ == "__main__":
    main()
