#!/usr/bin/env python3
"""Hostile clients against `velkaro ftp` on loopback: each case tries one way out of the served folder, one way to
make the server act on the wrong file, or one way to take another client's data connection, and checks that it
fails while the server keeps serving. Bounded: well under a minute. Usage: ftp_hostile.py path/to/velkaro"""
import ftplib
import multiprocessing
import os
import re
import socket
import sys
import tempfile
import time

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


def stale_current_folder(port, served, outside):
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


def check_then_use_race(port, served, outside):
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


def bare_line_feeds(port, served, outside):
    for name in ("a", "ab"):
        open(os.path.join(served, name), "w").close()
    s, reply = raw(port)
    s.sendall(b"DELE ab\n")
    r = reply()
    check("DELE ab + LF deletes ab, not a", r.startswith("250") and os.path.exists(os.path.join(served, "a")) and
          not os.path.exists(os.path.join(served, "ab")), r)
    s.sendall(b"NOOP\n")
    check("NOOP + LF is a NOOP", reply().startswith("200"))
    s.sendall(b"MKD x\r226 Transfer complete.\r\n")
    r = reply()
    check("a CR inside a line is refused", r.startswith("501") and not any("\r" in n for n in os.listdir(served)), r)
    s.close()


def passive_port_hijack(port, served, outside):
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


def many_pasv_at_once(port, served, outside):
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


def data_port_arguments(port, served, outside):
    s, reply = raw(port)
    for cmd in ("PORT 127,0,0,1,16777216,21", "PORT 127,0,0,1,0,21", "PORT 127,0,0,1,-1,300", "PORT 127,0,0,1,4",
                "EPRT |1|127.0.0.1|21|", "EPRT |1|127.0.0.1|99999|", "EPRT |1|127.0.0.1|2147483648|",
                "LPRT 6,16," + ",".join(["0"] * 16) + ",2,2147483647,21"):
        s.sendall(cmd.encode() + b"\r\n")
        r = reply()
        check(f"{cmd[:40]} is refused", r.startswith("501"), r)
    s.close()


def rename_source_expires(port, served, outside):
    open(os.path.join(served, "first"), "w").close()
    s, reply = raw(port)
    for cmd, want in (("RNFR first", "350"), ("NOOP", "200"), ("RNTO moved", "550")):
        s.sendall(cmd.encode() + b"\r\n")
        r = reply()
        check(f"RNFR then {cmd}", r.startswith(want), r)
    check("the file was not moved", os.path.exists(os.path.join(served, "first")))
    s.close()


def pasv_over_ipv6(port, served, outside):
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


CASES = [stale_current_folder, check_then_use_race, bare_line_feeds, passive_port_hijack, many_pasv_at_once,
         data_port_arguments, rename_source_expires, pasv_over_ipv6]


def main():
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
                case(server.port, served, outside)
                check(f"{case.__name__}: the server still serves", ftp_session(server.port).quit().startswith("221"))
        finally:
            code = server.stop()
        check("the server stops cleanly", code == 0, code)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
