#!/usr/bin/env python3
"""How `velkaro ftp` holds up against hostile clients on loopback: memory, descriptors, time to serve others.

Usage: bench/ftp_hostile_soak.py path/to/velkaro [--seconds S] [--flooders F] [--idle N] [--idle-timeout T]

Three figures, each against a fresh `velkaro ftp --port 0` with its default options (quiet):
1. F clients (default 1) log in, then send STAT lines for S seconds (default 30) and never read a reply. The server's
   resident set is printed every second; a server that stops reading such a client once its unsent replies pass a
   bound stays flat. A fresh client is then served (login, LIST, QUIT) while the flood's connection is still open.
2. N idle connections (default 1000: connect, send nothing, read nothing) are held while a fresh client logs in
   and lists the root, five times; prints the time to serve it, how many idle connections the server still holds
   (its open descriptors) and, once they are closed, its descriptor count and RSS against the start. Three such
   cycles, so memory kept for reuse (flat after the first) shows apart from a leak (growing each cycle).
3. The same N idle connections against a server started with --idle-timeout T (default 3): the time until the
   server has closed them all by itself and its descriptors are back to the start.
4. F clients (--transfer-flooders, default 100) each open one PASV and then pipeline transfer commands for S seconds
   without ever connecting to the data port or reading a reply: half ask RETR of a file, half NLST of a folder of
   5000 entries. The server's descriptors and RSS are printed every second, then a fresh client is served.
This process raises its own descriptor limit (RLIMIT_NOFILE) to the hard limit to open that many connections."""
import argparse
import ftplib
import os
import resource
import select
import socket
import statistics
import subprocess
import sys
import tempfile
import time


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def fd_count(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


class Velkaro:
    """`velkaro ftp` on a free loopback port over `root`, stopped by stop()."""

    def __init__(self, exe, root, log, *options):
        self.proc = subprocess.Popen([exe, "ftp", "--dir", root, "--port", "0", *options], stdout=subprocess.PIPE,
                                     stderr=log, stdin=subprocess.DEVNULL)
        self.port = None
        for _ in range(20):  # the storage lines come before the one naming the port
            line = self.proc.stdout.readline().decode()
            if line.startswith("Serving "):
                self.port = int(line.rsplit(" ", 1)[1])
                break
        if self.port is None:
            raise SystemExit("server did not start")
        self.pid = self.proc.pid

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def serve_fresh_client(port):
    """Milliseconds for a new client to log in, list the root and quit."""
    start = time.monotonic()
    ftp = ftplib.FTP()
    ftp.connect("127.0.0.1", port, timeout=30)
    ftp.login()
    lines = []
    ftp.retrlines("LIST", lines.append)
    ftp.quit()
    if not lines:
        raise RuntimeError("empty listing")
    return (time.monotonic() - start) * 1000


def wait_until(predicate, seconds):
    """Seconds until predicate() held (polling every 50 ms), or None after `seconds`."""
    start = time.monotonic()
    while time.monotonic() - start < seconds:
        if predicate():
            return time.monotonic() - start
        time.sleep(0.05)
    return None


def flooder(port):
    """A logged-in control connection that will never read another reply."""
    flood = socket.create_connection(("127.0.0.1", port))
    reader = flood.makefile("rb")

    def reply(codes):  # reads up to the final line of a reply with one of these codes
        while reader.readline()[:4] not in codes:
            pass

    reply((b"220 ",))
    flood.sendall(b"USER anonymous\r\n")
    reply((b"331 ", b"230 "))
    flood.sendall(b"PASS x\r\n")
    reply((b"230 ",))
    flood.setblocking(False)
    return flood


def pump(floods, seconds, payload, sample):
    """Sends payload(k) on flood socket k whenever it can take more, for `seconds`, and samples the server once a
    second. Returns (bytes sent, samples)."""
    sent, samples = 0, [sample()]
    index = {flood: k for k, flood in enumerate(floods)}
    start = time.monotonic()
    next_sample = start + 1
    while time.monotonic() - start < seconds:
        _, writable, _ = select.select([], floods, [], max(0.0, next_sample - time.monotonic()))
        for flood in writable:
            try:
                sent += flood.send(payload(index[flood]))
            except (BlockingIOError, ConnectionError):
                pass
        if time.monotonic() >= next_sample:
            samples.append(sample())
            next_sample += 1
    return sent, samples


def stat_flood(server, seconds, clients):
    print(f"1. STAT flood from {clients} client(s), replies never read, {seconds} s")
    floods = [flooder(server.port) for _ in range(clients)]
    lines = b"STAT\r\n" * 512
    sent, samples = pump(floods, seconds, lambda k: lines, lambda: rss_mib(server.pid))
    print("   server RSS every second (MiB): " + " ".join(f"{s:.1f}" for s in samples))
    print(f"   STAT lines sent: {sent // 6} ({sent / 1048576:.1f} MiB); RSS {samples[0]:.1f} -> {samples[-1]:.1f} MiB,"
          f" largest {max(samples):.1f} MiB, {(max(samples) - samples[0]) / clients:.1f} MiB more per client")
    print(f"   fresh client served during the flood in {serve_fresh_client(server.port):.1f} ms")
    for flood in floods:
        flood.close()


def transfer_flood(server, seconds, clients):
    print(f"4. transfer flood from {clients} clients (PASV, then RETR or NLST of 5000 entries pipelined), {seconds} s")
    floods = [flooder(server.port) for _ in range(clients)]
    for k, flood in enumerate(floods):
        flood.setblocking(True)
        flood.sendall(b"PASV\r\n")
        flood.setblocking(False)
    commands = [(b"RETR datasheet-00.pdf\r\n" if k % 2 else b"NLST many\r\n") * 256 for k in range(clients)]
    _, samples = pump(floods, seconds, lambda k: commands[k], lambda: (fd_count(server.pid), rss_mib(server.pid)))
    print("   server descriptors every second: " + " ".join(str(f) for f, _ in samples))
    print("   server RSS every second (MiB): " + " ".join(f"{r:.1f}" for _, r in samples))
    print(f"   largest: {max(f for f, _ in samples)} descriptors, {max(r for _, r in samples):.1f} MiB;"
          f" fresh client served during the flood in {serve_fresh_client(server.port):.1f} ms")
    for flood in floods:
        flood.close()


def open_idle(port, count):
    conns = []
    for _ in range(count):
        conns.append(socket.create_connection(("127.0.0.1", port), timeout=10))
    return conns


def still_open(conns):
    """How many of the connections the server has not closed (no end of stream, no error)."""
    held = 0
    for c in conns:
        try:
            c.setblocking(False)
            while True:
                data = c.recv(4096)
                if not data:
                    break
        except BlockingIOError:
            held += 1
        except OSError:
            pass
    return held


def idle_connections(server, count, cycles=3):
    print(f"2. {count} idle connections held while a fresh client is served, {cycles} times")
    time.sleep(0.3)
    fds, rss = fd_count(server.pid), rss_mib(server.pid)
    for cycle in range(cycles):
        conns = open_idle(server.port, count)
        wait_until(lambda: fd_count(server.pid) >= fds + count, 10)
        times = [serve_fresh_client(server.port) for _ in range(5)]
        held_fds = fd_count(server.pid) - fds
        print(f"   fresh client (login, LIST, QUIT) in {statistics.median(times):.1f} ms median,"
              f" {max(times):.1f} ms at most, of 5; server descriptors {fds} -> {fds + held_fds} (+{held_fds});"
              f" RSS {rss_mib(server.pid):.1f} MiB; connections still open at the client's side:"
              f" {still_open(conns)} of {count}")
        for c in conns:
            c.close()
        back = wait_until(lambda: fd_count(server.pid) <= fds, 10)
        print(f"   after closing them: descriptors {fd_count(server.pid)} (start {fds})"
              f" {'within %.2f s' % back if back is not None else 'not back after 10 s'};"
              f" RSS {rss_mib(server.pid):.1f} MiB (start {rss:.1f})")
    print(f"   fresh client afterwards in {serve_fresh_client(server.port):.1f} ms")


def idle_timeout(server, count, timeout):
    print(f"3. {count} idle connections against --idle-timeout {timeout}")
    time.sleep(0.3)
    fds, rss = fd_count(server.pid), rss_mib(server.pid)
    start = time.monotonic()
    conns = open_idle(server.port, count)
    opened = time.monotonic() - start
    back = wait_until(lambda: fd_count(server.pid) <= fds, timeout + 30)
    end = time.monotonic() - start
    print(f"   opened in {opened:.2f} s; server closed them"
          f" {'%.2f s after the first was opened' % end if back is not None else 'not all within the wait'};"
          f" connections still open at the client's side: {still_open(conns)} of {count}")
    print(f"   descriptors {fd_count(server.pid)} (start {fds}); RSS {rss_mib(server.pid):.1f} MiB (start {rss:.1f})")
    for c in conns:
        c.close()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("velkaro")
    ap.add_argument("--seconds", type=int, default=30)
    ap.add_argument("--idle", type=int, default=1000)
    ap.add_argument("--idle-timeout", type=int, default=3)
    ap.add_argument("--flooders", type=int, default=1, help="clients sending STAT lines at once")
    ap.add_argument("--transfer-flooders", type=int, default=100, help="clients pipelining transfers at once")
    args = ap.parse_args()
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft != resource.RLIM_INFINITY and soft < max(args.idle, args.transfer_flooders) + 64:
        resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    exe = os.path.abspath(args.velkaro)
    with tempfile.TemporaryDirectory(prefix="velkaro-soak-") as work:
        root = os.path.join(work, "root")
        os.makedirs(root)
        for i in range(20):
            with open(os.path.join(root, f"datasheet-{i:02d}.pdf"), "wb") as f:
                f.write(b"%PDF-1.4\n" * 100)
        os.makedirs(os.path.join(root, "many"))
        for i in range(5000):
            open(os.path.join(root, "many", f"entry-{i:05}"), "w").close()
        with open(os.path.join(work, "server.log"), "wb") as log:
            for figure, options in ((lambda s: stat_flood(s, args.seconds, args.flooders), ()),
                                    (lambda s: idle_connections(s, args.idle), ()),
                                    (lambda s: idle_timeout(s, args.idle, args.idle_timeout),
                                     ("--idle-timeout", str(args.idle_timeout))),
                                    (lambda s: transfer_flood(s, args.seconds, args.transfer_flooders), ())):
                server = Velkaro(exe, root, log, *options)
                try:
                    figure(server)
                finally:
                    server.stop()
                sys.stdout.flush()

if __name__ == "__main__":
    main()
