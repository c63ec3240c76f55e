#!/usr/bin/env python3
"""Hostile clients against `velkaro ftp` on loopback: each case tries one way out of the served folder, one way to
make the server act on the wrong file, or one way to take another client's data connection, and checks that it
fails while the server keeps serving. Bounded: well under a minute. Usage: ftp_hostile.py path/to/velkaro"""
import ftplib
import io
import multiprocessing
import random
import resource
import os
import re
import socket
import struct
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
from ftp_server import Server, check, ftp_session, summary  # noqa: E402

VELKARO = os.path.abspath(sys.argv[1])


def raw(port, host="127.0.0.1"):
    """A bare control connection: returns (socket, reader of one reply line)."""
    s = socket.create_connection((host, port), timeout=10)
    f = s.makefile("rb")
    f.readline()  # greeting
    return s, lambda: f.readline().decode().rstrip("\r\n")


def pasv_port(reply):
    m = re.search(r"\((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\)", reply)
    return int(m.group(5)) * 256 + int(m.group(6))


def stale_current_folder(port, served, outside, server=None):
    # A folder the client stands in is replaced by a link to the base's parent: listing it must not show the
    # parent, and the link cannot be moved to where it would lead out.
    os.makedirs(os.path.join(served, "sub"))
    os.symlink("..", os.path.join(served, "sub", "up"))
    ftp = ftp_session(port)
    replies = []
    for cmd in ("MKD x", "CWD /x", "RNFR /x", "RNTO /x_old", "RNFR /sub/up", "RNTO /x"):
        try:
            replies.append(ftp.sendcmd(cmd))
        except ftplib.error_perm as e:
            replies.append(str(e))
    check("a link to .. is not renamed to where it leads out", replies[-1].startswith("550"), replies)
    os.symlink("..", os.path.join(served, "x"))  # as a local user might do all the same
    lines = []
    try:
        ftp.retrlines("LIST", lines.append)
    except ftplib.error_perm:
        pass
    check("LIST in a stale current folder shows nothing outside", not any("outside-marker" in l for l in lines), lines)
    try:
        ftp.retrlines("NLST", lines.append)
    except ftplib.error_perm:
        pass
    check("NLST in a stale current folder shows nothing outside", not any("outside-marker" in l for l in lines), lines)
    # The current folder renamed away and a new one made under its name: the session's folder is gone.
    ftp.cwd("/sub")
    os.rename(os.path.join(served, "sub"), os.path.join(served, "sub-old"))
    os.makedirs(os.path.join(served, "sub"))
    for cmd, action in (("LIST", lambda: ftp.retrlines("LIST", lines.append)),
                        ("STOR", lambda: ftp.storbinary("STOR x", io.BytesIO(b"x")))):
        try:
            r = action()
        except ftplib.error_perm as e:
            r = str(e)
        check(f"{cmd} in a renamed current folder answers 55x", r[:2] == "55" and not os.listdir(os.path.join(served, "sub")), r)
    ftp.quit()


def swapper(served, outside, seconds):
    # Swaps the folder "swap" for a link to the outside folder and back, as fast as it can.
    end = time.time() + seconds
    swap, parked = os.path.join(served, "swap"), os.path.join(served, "swap-parked")
    while time.time() < end:
        try:
            os.rename(swap, parked)
            os.symlink(outside, swap)
            os.unlink(swap)
            os.rename(parked, swap)
        except OSError:
            pass


def check_then_use_race(port, served, outside, server=None):
    os.makedirs(os.path.join(served, "swap"))
    with open(os.path.join(served, "swap", "secret"), "w") as f:
        f.write("inside")
    for i in range(200):
        open(os.path.join(outside, f"victim-{i}"), "w").close()
        open(os.path.join(served, "swap", f"victim-{i}"), "w").close()
    proc = multiprocessing.Process(target=swapper, args=(served, outside, 4))
    proc.start()
    ftp = ftp_session(port)
    read_outside, i = 0, 0
    end = time.time() + 4
    while time.time() < end:
        data = bytearray()
        for cmd, action in (("RETR", lambda: ftp.retrbinary("RETR swap/secret", data.extend)),
                            ("STOR", lambda: ftp.storbinary(f"STOR swap/planted-{i}", open(os.devnull, "rb"))),
                            ("DELE", lambda: ftp.delete(f"swap/victim-{i % 200}"))):
            try:
                action()
            except ftplib.error_perm:
                pass
        read_outside += data == b"OUTSIDE"
        i += 1
    proc.join()
    ftp.quit()
    planted = [n for n in os.listdir(outside) if n.startswith("planted")]
    victims = sum(os.path.exists(os.path.join(outside, f"victim-{k}")) for k in range(200))
    check(f"race: no read outside in {i} tries", read_outside == 0, read_outside)
    check("race: no file created outside", not planted, len(planted))
    check("race: no file deleted outside", victims == 200, 200 - victims)


def bare_line_feeds(port, served, outside, server=None):
    for name in ("a", "ab"):
        open(os.path.join(served, name), "w").close()
    s, reply = raw(port)
    s.sendall(b"DELE ab\n")
    r = reply()
    check("DELE ab + LF deletes ab, not a", r.startswith("250") and os.path.exists(os.path.join(served, "a")) and
          not os.path.exists(os.path.join(served, "ab")), r)
    s.sendall(b"NOOP\n  NOOP\r\n")
    check("NOOP + LF is a NOOP", reply().startswith("200"))
    check("a line starting with blanks is answered", reply().startswith("200"))
    s.sendall(b"MKD x\r226 Transfer complete.\r\n")
    r = reply()
    check("a CR inside a line is refused", r.startswith("501") and not any("\r" in n for n in os.listdir(served)), r)
    s.close()


def passive_port_hijack(port, served, outside, server=None):
    with open(os.path.join(served, "wanted.bin"), "wb") as f:
        f.write(b"W" * 100000)
    s, reply = raw(port)
    s.sendall(b"PASV\r\n")
    data_port = pasv_port(reply())
    thief = socket.socket()
    thief.bind(("127.0.0.2", 0))
    thief.settimeout(5)
    thief.connect(("127.0.0.1", data_port))
    s.sendall(b"RETR wanted.bin\r\n")
    first = reply()
    stolen = b""
    try:
        while chunk := thief.recv(65536):
            stolen += chunk
    except OSError:
        pass
    own = socket.create_connection(("127.0.0.1", data_port), timeout=10)
    got = b""
    while chunk := own.recv(65536):
        got += chunk
    last = reply()
    check("a thief on another address gets nothing of a download", stolen == b"", len(stolen))
    check("the client still gets the whole file", first.startswith("150") and last.startswith("226") and
          got == b"W" * 100000, (first, last, len(got)))
    try:
        late = socket.create_connection(("127.0.0.1", data_port), timeout=2)
        late.settimeout(2)
        closed = late.recv(1) == b""
    except OSError:
        closed = True
    check("the passive port takes one connection only", closed)
    s.close()


def many_pasv_at_once(port, served, outside, server=None):
    clients = [raw(port) for _ in range(200)]
    for s, _ in clients:
        s.sendall(b"PASV\r\n")
    replies = [reply() for _, reply in clients]
    refused = sum(not r.startswith("227") for r in replies)
    ports = {pasv_port(r) for r in replies if r.startswith("227")}
    check("200 PASV at once: no 425", refused == 0, refused)
    check("200 PASV at once: distinct ports", len(ports) == 200 - refused, len(ports))
    for s, _ in clients:
        s.close()


def data_port_arguments(port, served, outside, server=None):
    s, reply = raw(port)
    for cmd in ("PORT 127,0,0,1,16777216,21", "PORT 127,0,0,1,0,21", "PORT 127,0,0,1,-1,300", "PORT 127,0,0,1,4",
                "EPRT |1|127.0.0.1|21|", "EPRT |1|127.0.0.1|99999|", "EPRT |1|127.0.0.1|2147483648|",
                "LPRT 6,16," + ",".join(["0"] * 16) + ",2,2147483647,21"):
        s.sendall(cmd.encode() + b"\r\n")
        r = reply()
        check(f"{cmd[:40]} is refused", r.startswith("501"), r)
    s.close()


def rename_source_expires(port, served, outside, server=None):
    open(os.path.join(served, "first"), "w").close()
    s, reply = raw(port)
    for cmd, want in (("RNFR first", "350"), ("NOOP", "200"), ("RNTO moved", "550")):
        s.sendall(cmd.encode() + b"\r\n")
        r = reply()
        check(f"RNFR then {cmd}", r.startswith(want), r)
    check("the file was not moved", os.path.exists(os.path.join(served, "first")))
    s.close()


def pasv_over_ipv6(port, served, outside, server=None):
    try:
        s, reply = raw(port, "::1")
    except OSError as e:
        check("IPv6 loopback available (skipped)", True, e)
        return
    s.sendall(b"PASV\r\n")
    r = reply()
    check("PASV over IPv6 names no unusable address", r.startswith("425"), r)
    s.sendall(b"EPSV\r\n")
    r = reply()
    check("EPSV over IPv6 works", r.startswith("229"), r)
    s.close()


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        return next(int(l.split()[1]) for l in f if l.startswith("VmRSS:"))


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def replies_never_read(port, served, outside, server):
    # STAT lines sent for 8 s by a client that never reads: the server stops reading it once its unsent replies
    # pass their bound, so its memory stops growing (sampled before, after 2 s and at the end) at a low level.
    before = rss_kib(server.proc.pid)
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    s.setblocking(False)
    start = time.time()
    samples, sent = [], 0
    while time.time() < start + 8:
        try:
            sent += s.send(b"STAT\r\n" * 4096)
        except BlockingIOError:
            time.sleep(0.01)
        if len(samples) == 0 and time.time() > start + 2:
            samples.append(rss_kib(server.proc.pid))
    samples.append(rss_kib(server.proc.pid))
    grown = (samples[1] - samples[0]) / 1024
    check(f"a client that never reads: server RSS {before >> 10} MiB before, {samples[0] >> 10} MiB after 2 s, "
          f"{samples[1] >> 10} MiB after 8 s ({sent >> 20} MiB of commands taken by the system)",
          grown < 2 and samples[1] - before < 3 << 10 and sent < 64 << 20, (grown, sent))
    s.close()


def special_files(port, served, outside, server):
    os.mkfifo(os.path.join(served, "pipe"))
    os.makedirs(os.path.join(served, "forged\r\n257 x"))
    os.symlink("forged\r\n257 x", os.path.join(served, "plain"))
    ftp = ftp_session(port)
    try:
        r = ftp.cwd("plain")
    except ftplib.error_perm as e:
        r = str(e)
    check("CWD into a folder whose name holds CR LF is refused (PWD would forge a line)", r.startswith("550"), r)
    for cmd, action in (("RETR", lambda: ftp.retrbinary("RETR pipe", lambda b: None)),
                        ("STOR", lambda: ftp.storbinary("STOR pipe", open(os.devnull, "rb")))):
        t = time.time()
        try:
            action()
            check(f"{cmd} of a FIFO is refused", False, "accepted")
        except ftplib.error_perm as e:
            check(f"{cmd} of a FIFO is refused at once", str(e)[:1] == "5" and time.time() - t < 5, e)
    ftp.quit()


def active_mode_peer_only(port, served, outside, server):
    # PORT naming 127.0.0.2 still connects to the client's own 127.0.0.1.
    with open(os.path.join(served, "small.bin"), "wb") as f:
        f.write(b"S" * 1000)
    mine, other = socket.socket(), socket.socket()
    mine.bind(("127.0.0.1", 0))
    data_port = mine.getsockname()[1]
    other.bind(("127.0.0.2", data_port))
    for sock in (mine, other):
        sock.listen(1)
        sock.settimeout(5)
    s, reply = raw(port)
    s.sendall(f"PORT 127,0,0,2,{data_port // 256},{data_port % 256}\r\nRETR small.bin\r\n".encode())
    first, second = reply(), reply()
    conn, _ = mine.accept()
    got = b""
    while chunk := conn.recv(65536):
        got += chunk
    other.settimeout(0.5)
    try:
        other.accept()
        stray = True
    except OSError:
        stray = False
    check("active mode connects to the client's own address only", first.startswith("200") and
          second.startswith("150") and got == b"S" * 1000 and not stray, (first, second, len(got), stray))
    for sock in (s, mine, other, conn):
        sock.close()


def data_races(port, served, outside, server):
    # Two uploads of one name at once, a download while its file is replaced, a second append: nothing mixed or lost.
    old = os.urandom(8 << 20)
    with open(os.path.join(served, "doc.pdf"), "wb") as f:
        f.write(old)
    a, b, r = (ftp_session(port) for _ in range(3))
    uploads = [(f, f.transfercmd("STOR same.bin")) for f in (a, b)]
    for _ in range(16):
        for k, (f, data) in enumerate(uploads):
            data.sendall(b"AB"[k:k + 1] * (128 << 10))
    for f, data in uploads:
        data.close()
    replies = [f.getline()[:3] for f, _ in uploads]
    same = open(os.path.join(served, "same.bin"), "rb").read()
    check("two STOR of one name at once: both 226, the file is one of them whole", replies == ["226"] * 2 and
          same in (b"A" * (2 << 20), b"B" * (2 << 20)), (replies, len(same), same[:1], same[-1:]))
    reader = r.transfercmd("RETR doc.pdf")
    got = reader.recv(1 << 16)
    a.storbinary("STOR doc.pdf", io.BytesIO(b"new"))
    while chunk := reader.recv(1 << 20):
        got += chunk
    reader.close()
    check("a download while its file is replaced gets the old file whole", r.voidresp()[:3] == "226" and got == old,
          len(got))
    first = a.transfercmd("APPE log.txt")
    try:
        second = b.transfercmd("APPE log.txt")
        second.close()
        busy = b.voidresp()
    except ftplib.error_temp as e:
        busy = str(e)
    first.sendall(b"x" * 6000)
    first.close()
    check("a second APPE while one runs answers 450 at once", busy[:3] == "450" and a.voidresp()[:3] == "226", busy)
    for f in (a, b, r):
        f.quit()


def transfer_floods(port, served, outside, server):
    # Pipelined transfers after one PASV run one at a time: descriptors and memory stay where they were.
    os.makedirs(os.path.join(served, "many"))
    for i in range(5000):
        open(os.path.join(served, "many", f"entry-{i:05}"), "w").close()
    open(os.path.join(served, "flood.txt"), "w").close()
    pid = server.proc.pid
    fds, rss = fd_count(pid), rss_kib(pid)
    for cmd, count in ((b"RETR flood.txt", 20000), (b"NLST many", 2100)):
        s, reply = raw(port)
        s.sendall(b"PASV\r\n" + (cmd + b"\r\n") * count)
        reply()
        r = reply()
        time.sleep(1)
        check(f"{count} x {cmd.decode()} pipelined: {fd_count(pid) - fds} more descriptors, {(rss_kib(pid) - rss) >> 10} "
              f"MiB more memory", fd_count(pid) < fds + 20 and rss_kib(pid) < rss + (32 << 10), r)
        s.close()


CASES = [data_races, transfer_floods, stale_current_folder, check_then_use_race, bare_line_feeds, passive_port_hijack, many_pasv_at_once,
         data_port_arguments, rename_source_expires, pasv_over_ipv6, replies_never_read, special_files,
         active_mode_peer_only]


def with_server(work, served, extra, body):
    server = Server(VELKARO, served, work, extra)
    try:
        body(server)
    finally:
        check(f"the server ({' '.join(extra) or 'defaults'}) stops cleanly", server.stop() == 0)


def idle_connections(work, served):
    def body(server):
        s, reply = raw(server.port)
        t = time.time()
        r = reply()
        check("an idle client is answered 421 Timeout. and closed", r == "421 Timeout." and 1 <= time.time() - t < 5 and
              s.recv(1) == b"", r)
        crowd = [socket.create_connection(("127.0.0.1", server.port)) for _ in range(1000)]
        t = time.time()
        ftp = ftp_session(server.port)
        ftp.retrlines("LIST", lambda l: None)
        ftp.quit()
        check(f"with 1000 idle connections a fresh client is served in {1000 * (time.time() - t):.0f} ms",
              time.time() - t < 2)
        for c in crowd:
            c.close()
    with_server(work, served, ["--idle-timeout", "1.5"], body)


def descriptor_limit(work, served):
    # Started with only 48 descriptors: at the limit the server neither spins nor stops serving once descriptors
    # are free again.
    server = Server(VELKARO, served, work, ["--idle-timeout", "0"], prefix=["prlimit", "--nofile=48:48"])
    try:
        crowd = []
        for _ in range(80):
            try:
                crowd.append(socket.create_connection(("127.0.0.1", server.port), timeout=2))
            except OSError:
                break
        time.sleep(0.5)
        before = cpu_seconds(server.proc.pid)
        time.sleep(2)
        used = cpu_seconds(server.proc.pid) - before
        check(f"at the descriptor limit the server uses {used:.2f} s of CPU in 2 s", used < 0.5, used)
        for c in crowd:
            c.close()
        time.sleep(1)
        check("served again once descriptors are free", ftp_session(server.port).quit().startswith("221"))
    finally:
        check("the server at its descriptor limit stops cleanly", server.stop() == 0)


def disk_full(work, served):
    # A 2 MiB file system and 10 MiB uploads: the client hears 452 or 552, never 226, no partial file stays, and a
    # file written over keeps its bytes (STOR) or at least its length (REST + STOR).
    full = os.path.join(work, "full")
    os.makedirs(full)
    try:
        refused = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=2m", "tmpfs", full], capture_output=True).returncode
    except OSError:  # no mount program at all
        refused = True
    if refused:
        print("skip disk-full case: this machine does not let the test mount a small file system", flush=True)
        return
    try:
        def body(server):
            ftp = ftp_session(server.port)
            keep = os.urandom(1 << 20)
            ftp.storbinary("STOR keep.bin", io.BytesIO(keep))
            for cmd, rest in (("STOR big.bin", None), ("STOR keep.bin", None), ("STOR keep.bin", 1000)):
                try:
                    ftp.storbinary(cmd, io.BytesIO(os.urandom(10 << 20)), rest=rest)
                    r = "226"
                except (ftplib.error_temp, ftplib.error_perm) as e:
                    r = str(e)
                except OSError:  # the server closed the data connection while the client still sent: read why
                    r = ftp.getline()
                kept = open(os.path.join(full, "keep.bin"), "rb").read()
                check(f"{cmd} (REST {rest}) onto a full disk answers 452 or 552", r[:3] in ("452", "552"), r)
                check("no partial file stays behind, the old file keeps its bytes or length", os.listdir(full) ==
                      ["keep.bin"] and (kept == keep or rest and len(kept) == len(keep)), (os.listdir(full), len(kept)))
            ftp.close()
        with_server(work, full, [], body)
    finally:
        subprocess.run(["umount", full])


def fd_count(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def soak(work, served):
    # Sequential and concurrent sessions, clients dropped at random points and idle ones held meanwhile: every
    # upload arrives whole, and the server's descriptors and memory come back to where they started.
    def body(server):
        pid = server.proc.pid
        ftp_session(server.port).quit()
        fds, rss = fd_count(pid), rss_kib(pid)
        idle = [ftp_session(server.port) for _ in range(30)]
        for i in range(300):
            ftp = ftp_session(server.port)
            ftp.storbinary(f"STOR soak-{i}.bin", io.BytesIO(b"%d" % i * 100))
            ftp.retrlines("LIST", lambda l: None)
            ftp.quit()
        intact = all(open(os.path.join(served, f"soak-{i}.bin"), "rb").read() == b"%d" % i * 100 for i in range(300))
        check("300 sequential sessions: every upload arrived whole", intact)

        def round_trips(k):
            failures = 0
            for _ in range(5):
                try:
                    ftp = ftp_session(server.port)
                    ftp.retrlines("LIST", lambda l: None)
                    ftp.quit()
                except (OSError, ftplib.Error):
                    failures += 1
            return failures
        with ThreadPoolExecutor(50) as pool:
            failures = sum(pool.map(round_trips, range(50)))
        check("250 concurrent round trips: no failure", failures == 0, failures)

        rng = random.Random(7)
        for i in range(200):
            s, reply = raw(server.port)
            steps = [b"USER a\r\n", b"PASS b\r\n", b"PASV\r\n", b"STOR drop.bin\r\n", b"RETR soak-1.bin\r\n"]
            for step in steps[:rng.randrange(len(steps) + 1)]:
                s.sendall(step)
            if rng.random() < 0.5:
                s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))  # a reset, not a close
            s.close()
        check("the 30 idle clients are still served afterwards", all(f.voidcmd("NOOP")[:3] == "200" for f in idle))
        for ftp in idle:
            ftp.quit()
        time.sleep(2)
        check(f"descriptors back to the start ({fds} -> {fd_count(pid)})", fd_count(pid) <= fds + 2)
        check(f"memory back near the start ({rss >> 10} -> {rss_kib(pid) >> 10} MiB)", rss_kib(pid) < rss + 16 * 1024)
    with_server(work, served, [], body)


def owner_controls(work, served):
    password = os.path.join(work, "password")
    with open(password, "w") as f:
        f.write("s3cret word\n")
    open(os.path.join(served, "readable.txt"), "w").close()

    def read_only(server):
        ftp = ftp_session(server.port)
        for cmd in ("STOR x", "APPE readable.txt", "DELE readable.txt", "MKD d", "RMD d", "RNFR readable.txt",
                    "RNTO y"):
            try:
                r = ftp.sendcmd(cmd)
            except ftplib.error_perm as e:
                r = str(e)
            check(f"--read-only: {cmd} is refused", r == "550 Permission denied.", r)
        lines = []
        ftp.retrlines("LIST", lines.append)
        check("--read-only: listing still works", any(l.endswith(" readable.txt") for l in lines), lines)
        ftp.quit()

    def account(server):
        s, reply = raw(server.port)
        s.sendall(b"LIST\r\n")
        check("--user: commands before login are refused", reply().startswith("530"))
        delays = []
        for _ in range(2):
            s.sendall(b"USER owner\r\nPASS guess\r\n")
            reply()
            t = time.time()
            r = reply()
            delays.append(time.time() - t)
        check(f"--user: a wrong password waits longer each time ({delays[0]:.2f} s, {delays[1]:.2f} s)",
              r.startswith("530") and delays[1] > delays[0] >= 0.3, r)
        s.sendall(b"USER owner\r\nPASS s3cret word\r\nPWD\r\n")
        reply()
        r, pwd = reply(), reply()
        check("--user: the right password logs in", r.startswith("230") and pwd.startswith("257"), (r, pwd))
        s.close()

        def guesser(k):  # 8 s of guesses over fresh connections, as fast as the server answers
            checked, end = 0, time.time() + 8
            while time.time() < end:
                try:
                    g, reply = raw(server.port)
                    g.settimeout(max(0.1, end - time.time()))
                    while True:
                        g.sendall(b"USER owner\r\nPASS wrong %d\r\n" % k)
                        reply()
                        if not reply().startswith("530"):
                            break
                        checked += 1
                    g.close()
                except OSError:
                    pass
            return checked
        with ThreadPoolExecutor(20) as pool:
            guesses = pool.map(guesser, range(20))
            time.sleep(3)
            t = time.time()
            legit = ftplib.FTP()
            legit.connect("127.0.0.1", server.port, timeout=10, source_address=("127.0.0.2", 0))
            r = legit.login("owner", "s3cret word")
            check(f"--user: the owner from another address logs in in {time.time() - t:.2f} s while guessing runs",
                  r.startswith("230") and time.time() - t < 1, r)
            guesses = sum(guesses)
        check(f"--user: 20 parallel guessers tried {guesses} passwords in 8 s", guesses <= 8, guesses)

    def limits(server):
        first, second = raw(server.port), raw(server.port)
        third = socket.create_connection(("127.0.0.1", server.port), timeout=5)
        r = third.makefile("rb").readline().decode().rstrip()
        check("--max-clients 2: the third client hears 421", r == "421 Too many connections, try later.", r)
        for s in (first[0], second[0], third):
            s.shutdown(socket.SHUT_RDWR)  # the reader made by raw() would keep the socket open past close()
            s.close()
        time.sleep(0.5)  # the server sees the three go
        try:
            socket.create_connection(("127.0.0.2", server.port), timeout=2).close()
            check("--bind 127.0.0.1: other addresses are not listened on", False)
        except OSError:
            check("--bind 127.0.0.1: other addresses are not listened on", True)
        s, reply = raw(server.port)
        ports = set()
        for _ in range(20):
            s.sendall(b"PASV\r\n")
            ports.add(pasv_port(reply()))
        check("--passive-ports 40100-40109: passive ports stay in the range", ports <= set(range(40100, 40110)), ports)
        try:
            socket.create_connection(("127.0.0.2", ports.pop()), timeout=2).close()
            check("--bind 127.0.0.1: the passive port listens on 127.0.0.1 only", False)
        except OSError:
            check("--bind 127.0.0.1: the passive port listens on 127.0.0.1 only", True)
        s.close()

    def stalled(server):
        with open(os.path.join(served, "huge.bin"), "wb") as f:
            f.truncate(64 << 20)  # more than the socket buffers hold
        clients = [ftp_session(server.port) for _ in range(2)]
        held = [f.transfercmd(cmd) for f, cmd in zip(clients, ("STOR stalled.bin", "RETR huge.bin"))]
        s, reply = raw(server.port)
        t = time.time()
        s.sendall(b"NOOP\r\n")
        for f in clients:
            r = f.getline()
            check(f"--transfer-timeout 1: a stalled transfer hears {r} after {time.time() - t:.1f} s",
                  r.startswith("426") and time.time() - t < 4, r)
        check("the stalled upload left no file", not os.path.exists(os.path.join(served, "stalled.bin")))
        while (r := reply()) == "200 NOOP command successful." and time.time() - t < 10:
            s.sendall(b"NOOP\r\n")
            time.sleep(0.2)
        check(f"--login-timeout 2: a client that never logs in hears {r}", r == "421 Login timeout.", r)
        for sock in held + [s]:
            sock.close()

    with_server(work, served, ["--read-only"], read_only)
    with_server(work, served, ["--user", "owner", "--password-file", password], account)
    with_server(work, served, ["--max-clients", "2", "--bind", "127.0.0.1", "--passive-ports", "40100-40109"], limits)
    with_server(work, served, ["--transfer-timeout", "1", "--login-timeout", "2"], stalled)

    def client_bytes(server):
        # A name that would set the owner's terminal title reaches the log escaped; a path past 64 folders is
        # refused at once instead of holding the loop while it is walked again for every level.
        s, reply = raw(server.port)
        s.sendall(b"MKD esc\x1b]0;pwned\x07title\r\n")
        r = reply()
        check("MKD of a name with ESC and BEL is answered", r.startswith("257"), r)
        t = time.time()
        s.sendall(b"MKD /" + b"/".join([b"d"] * 64) + b"\r\nMKD /" + b"/".join([b"d"] * 65) + b"\r\nNOOP\r\n")
        r = [reply() for _ in range(3)]
        check(f"MKD 64 levels deep is made, 65 refused, NOOP after in {time.time() - t:.2f} s",
              r[0].startswith("257") and r[1].startswith("550") and r[2].startswith("200") and time.time() - t < 2, r)
        s.close()

    with_server(work, served, ["--verbose"], client_bytes)
    with open(os.path.join(work, "server.log"), "rb") as f:
        log = f.read()
    check("--verbose: client bytes are logged escaped", b"\x1b" not in log and b"\x07" not in log
          and b"MKD esc\\x1b]0;pwned\\x07title" in log, log[-200:])
def main():
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, min(hard, 4096)), hard))
    with tempfile.TemporaryDirectory(prefix="velkaro-hostile-") as work:
        served, outside = os.path.join(work, "served"), os.path.join(work, "outside")
        os.makedirs(served)
        os.makedirs(outside)
        with open(os.path.join(outside, "secret"), "w") as f:
            f.write("OUTSIDE")
        open(os.path.join(work, "outside-marker"), "w").close()
        server = Server(VELKARO, served, work)
        try:
            for case in CASES:
                case(server.port, served, outside, server)
                check(f"{case.__name__}: the server still serves", ftp_session(server.port).quit().startswith("221"))
        finally:
            code = server.stop()
        check("the server stops cleanly", code == 0, code)
        idle_connections(work, served)
        descriptor_limit(work, served)
        soak(work, served)
        disk_full(work, served)
        owner_controls(work, served)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
