#!/usr/bin/env python3
"""Real FTP clients against `velkaro ftp`: python ftplib, curl, wget, lftp, tnftp, inetutils-ftp, ncftp, gio and
its FUSE mount (GNOME), kioclient5 (KDE) and rclone (over FTPS too). Every file moved keeps its bytes (sha256), in passive and active mode, resumed and
appended transfers included, and the served folder stays the limit; 50 clients at once get every data connection.
Each client run is bounded in time. Usage: ftp_clients.py path/to/velkaro"""
import ftplib
import hashlib
import io
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
from ftp_server import Server as VelkaroServer, check, ftp_session, sha, summary  # noqa: E402

VELKARO = os.path.abspath(sys.argv[1])
SIZES = [0, 1, 4095, 4096, 4097, 1 << 20, 100 << 20]
CLIENT_TIMEOUT = 120  # seconds for any one client run; nothing here waits longer
MIB = 1 << 20


def Server(folder, work):
    return VelkaroServer(VELKARO, folder, work)


def run(cmd, stdin=None, env=None):
    """Runs one client; a missing client or one that hangs is a failed run, not a hung test."""
    try:
        return subprocess.run(cmd, input=stdin, capture_output=True, timeout=CLIENT_TIMEOUT,
                              env=None if env is None else {**os.environ, **env})
    except FileNotFoundError:
        return subprocess.CompletedProcess(cmd, 127, b"", f"{cmd[0]} is not installed (make deps)".encode())
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess(cmd, 124, b"", f"{cmd[0]} timed out".encode())


def same(a, b):
    return os.path.isfile(a) and os.path.isfile(b) and sha(a) == sha(b)


def folders(served, work, name):
    """A fresh folder for one client on each side: (remote name, its path in the served folder, local path)."""
    remote, local = os.path.join(served, name), os.path.join(work, name)
    os.makedirs(remote)
    os.makedirs(local)
    return name, remote, local


def first_part(src, dst, size):
    """The start of a file as a broken-off transfer left it, but zeros instead of its bytes: a client that continues
    keeps them, one that starts again replaces them."""
    with open(dst, "wb") as out:
        out.write(bytes(size))


def resumed(src, size):
    with open(src, "rb") as f:
        return bytes(size) + f.read()[size:]


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
    check("CWD .. at the top stays at / too", ftp.sendcmd("CWD ..").startswith("250") and ftp.pwd() == "/")
    refusals = [("CWD ../outside link", lambda: ftp.sendcmd("CWD ../outside")),
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


def test_resume_and_append(port, served, src, work):
    """curl -C - both ways and --append, wget -c, lftp get -c / put -c, ncftpget -z: each continues a file."""
    name, remote, local = folders(served, work, "resume")
    url = f"ftp://127.0.0.1:{port}/{name}/"
    full = os.path.join(src, f"{MIB}.bin")
    shutil.copy(full, os.path.join(remote, "full.bin"))
    lftp = f"set ftp:ssl-allow no; set net:max-retries 1; set net:timeout 20; set cmd:fail-exit yes; open -p {port} 127.0.0.1"
    downloads = [
        ("curl -C - download", ["curl", "-sS", "-C", "-", "-o", "{out}", url + "full.bin"]),
        ("wget -c", ["wget", "-q", "-c", "-O", "{out}", url + "full.bin"]),
        ("lftp get -c", ["lftp", "-c", f"{lftp}; get -c {name}/full.bin -o {{out}}"]),
        ("ncftpget -z", ["ncftpget", "-t", "20", "-z", "-P", str(port), "127.0.0.1", "{dir}", f"/{name}/full.bin"]),
    ]
    for i, (label, cmd) in enumerate(downloads):
        folder = os.path.join(local, str(i))
        os.makedirs(folder)
        out = os.path.join(folder, "full.bin")
        first_part(full, out, 300000)
        r = run([a.format(out=out, dir=folder) for a in cmd])
        check(label + " continues a download", r.returncode == 0 and open(out, "rb").read() == resumed(full, 300000),
              r.stderr[-300:])
    uploads = [
        ("curl -C - upload", ["curl", "-sS", "-C", "-", "-T", full, url + "{name}"]),
        ("lftp put -c", ["lftp", "-c", f"{lftp}; put -c {full} -o {name}/{{name}}"]),
    ]
    for label, cmd in uploads:
        target = label.split()[0] + "-up.bin"
        first_part(full, os.path.join(remote, target), 400000)
        r = run([a.format(name=target) for a in cmd])
        check(label + " continues an upload", r.returncode == 0 and
              open(os.path.join(remote, target), "rb").read() == resumed(full, 400000), r.stderr[-300:])
    shutil.copy(full, os.path.join(remote, "appended.bin"))
    part = os.path.join(src, "4097.bin")
    r = run(["curl", "-sS", "--append", "-T", part, url + "appended.bin"])
    with open(full, "rb") as a, open(part, "rb") as b, open(os.path.join(remote, "appended.bin"), "rb") as got:
        check("curl --append appends", r.returncode == 0 and got.read() == a.read() + b.read(), r.stderr)
    r = run(["curl", "-sS", "-l", url])
    check("curl -l lists bare names", r.returncode == 0 and "full.bin" in r.stdout.decode().splitlines(), r.stdout)
    out = os.path.join(local, "dated.bin")
    r = run(["curl", "-sS", "-R", "-o", out, url + "full.bin"])
    check("curl -R keeps the file's time", r.returncode == 0 and
          int(os.path.getmtime(out)) == int(os.path.getmtime(os.path.join(remote, "full.bin"))), r.stderr)


def test_recursive(port, served, src, work):
    """wget -r fetches a folder tree; lftp mirror goes both ways (test_lftp), rclone too (test_rclone)."""
    name, remote, local = folders(served, work, "recursive")
    for d in ("", "sub", os.path.join("sub", "deeper")):
        os.makedirs(os.path.join(remote, d), exist_ok=True)
        for size in (0, 4097, MIB):
            shutil.copy(os.path.join(src, f"{size}.bin"), os.path.join(remote, d, f"r{size}.bin"))
    r = run(["wget", "-q", "-r", "-nH", "-P", local, f"ftp://127.0.0.1:{port}/{name}/"])
    check("wget -r fetches the tree", r.returncode == 0 and tree(os.path.join(local, name)) == tree(remote),
          r.stderr[-300:])


def test_line_clients(port, served, src, work):
    """The classic command-line clients: mget * / mput / mdelete / append, in passive and active mode."""
    name, remote, local = folders(served, work, "classic")
    for size in (0, 4097, MIB):
        shutil.copy(os.path.join(src, f"{size}.bin"), os.path.join(remote, f"c{size}.bin"))
    with open(os.path.join(remote, "notes.txt"), "w") as f:
        f.write("notes")
    up = os.path.join(local, "up")
    os.makedirs(up)
    for n in ("u1.bin", "u2.bin"):
        shutil.copy(os.path.join(src, f"{MIB}.bin"), os.path.join(up, n))
    mget = ["c0.bin", "c4097.bin", f"c{MIB}.bin", "notes.txt"]
    runs = [("tnftp active", ["tnftp", "-n", "-i", "-A", "127.0.0.1", str(port)]),
            ("tnftp passive", ["tnftp", "-n", "-i", "-p", "127.0.0.1", str(port)]),
            ("inetutils-ftp", ["inetutils-ftp", "-n", "-i", "-p", "127.0.0.1", str(port)])]
    for label, cmd in runs:
        got = os.path.join(local, label.replace(" ", "-"))
        os.makedirs(got)
        with open(os.path.join(remote, "tail.bin"), "wb") as f:
            f.write(b"head")
        script = (f"user anonymous x\nbinary\ncd {name}\nlcd {got}\nmget *\nlcd {up}\nmput u1.bin u2.bin\n"
                  f"append u1.bin tail.bin\nquit\n")
        r = run(cmd, stdin=script.encode())
        check(f"{label} mget *", r.returncode == 0 and all(same(os.path.join(got, n), os.path.join(remote, n))
                                                          for n in mget), (sorted(os.listdir(got)), r.stdout[-300:]))
        check(f"{label} mput", all(same(os.path.join(up, n), os.path.join(remote, n)) for n in ("u1.bin", "u2.bin")))
        after = open(os.path.join(remote, "tail.bin"), "rb").read()
        check(f"{label} append", after == b"head" + open(os.path.join(up, "u1.bin"), "rb").read())
    r = run(runs[0][1], stdin=f"user anonymous x\ncd {name}\nmdelete u*.bin\nquit\n".encode())
    check("tnftp mdelete u*.bin", r.returncode == 0 and not any(n.startswith("u") for n in os.listdir(remote)) and
          os.path.exists(os.path.join(remote, "notes.txt")), sorted(os.listdir(remote)))

    got = os.path.join(local, "ncftp")
    os.makedirs(got)
    r = run(["ncftp", "-P", str(port), "127.0.0.1"], stdin=f"cd {name}\nlcd {got}\nmget *\nquit\n".encode())
    check("ncftp mget *", r.returncode == 0 and all(same(os.path.join(got, n), os.path.join(remote, n)) for n in mget),
          sorted(os.listdir(got)))
    r = run(["ncftpput", "-t", "20", "-P", str(port), "127.0.0.1", f"/{name}", os.path.join(up, "u1.bin")])
    check("ncftpput", r.returncode == 0 and same(os.path.join(up, "u1.bin"), os.path.join(remote, "u1.bin")), r.stderr)
    with open(os.path.join(up, "notes.txt"), "w") as f:
        f.write("more")
    r = run(["ncftpput", "-A", "-t", "20", "-P", str(port), "127.0.0.1", f"/{name}", os.path.join(up, "notes.txt")])
    check("ncftpput -A appends", r.returncode == 0 and
          open(os.path.join(remote, "notes.txt")).read() == "notesmore", r.stderr)


def test_ftplib_extensions(port, served, src, work):
    name, remote, local = folders(served, work, "ftplib")
    full = os.path.join(src, f"{MIB}.bin")
    data = open(full, "rb").read()
    shutil.copy(full, os.path.join(remote, "f.bin"))
    with open(os.path.join(remote, "bad\nname.bin"), "w") as f:  # a line end in a name on disk
        f.write("x")
    ftp = ftp_session(port)
    check("OPTS UTF8 ON", ftp.sendcmd("OPTS UTF8 ON") == "200 UTF8 mode enabled.")
    ftp.cwd(name)
    check("nlst() gives bare names", sorted(ftp.nlst()) == ["f.bin"], ftp.nlst())
    check("nlst('*.bin') matches", ftp.nlst("*.bin") == ["f.bin"])
    facts = dict(ftp.mlsd())
    check("mlsd() gives the facts", list(facts) == ["f.bin"] and facts["f.bin"]["type"] == "file" and
          facts["f.bin"]["size"] == str(MIB) and len(facts["f.bin"]["modify"]) == 14, facts)
    check("MDTM", ftp.sendcmd("MDTM f.bin") == "213 " + facts["f.bin"]["modify"])
    h = hashlib.sha256()
    ftp.retrbinary("RETR f.bin", h.update, rest=123457)
    check("RETR after REST sends the rest", h.hexdigest() == hashlib.sha256(data[123457:]).hexdigest())
    with open(full, "rb") as f:
        f.seek(500000)
        ftp.storbinary("STOR half.bin", f, rest=0)
    with open(full, "rb") as f:
        ftp.storbinary("STOR whole.bin", f)
    with open(os.path.join(remote, "whole.bin"), "r+b") as f:
        f.truncate(200000)
    with open(full, "rb") as f:
        f.seek(200000)
        ftp.storbinary("STOR whole.bin", f, rest=200000)
    check("STOR after REST continues the file", same(os.path.join(remote, "whole.bin"), full))
    ftp.sendcmd("REST 500")
    ftp.storbinary("STOR whole.bin", io.BytesIO(b"0123456789"))
    check("REST + STOR writes in place, the rest of the file kept",
          open(os.path.join(remote, "whole.bin"), "rb").read() == data[:500] + b"0123456789" + data[510:])
    ftp.sendcmd("REST 123457")  # the order node's client uses: REST, then PASV, then RETR
    with socket.create_connection(ftp.makepasv(), timeout=CLIENT_TIMEOUT) as conn:
        ftp.sendcmd("RETR f.bin")
        got = b"".join(iter(lambda: conn.recv(1 << 16), b""))
    check("REST before PASV still applies to the RETR", ftp.voidresp().startswith("226") and got == data[123457:])
    with open(full, "rb") as f:
        ftp.storbinary("APPE half.bin", f)
    check("APPE appends", open(os.path.join(remote, "half.bin"), "rb").read() == data[500000:] + data)
    conn = ftp.transfercmd(f"RETR /passive-{100 * MIB}.bin")  # more than the socket buffers hold
    conn.recv(1000)
    first = ftp.abort()  # urgent data, as ftplib sends it
    conn.close()
    check("ABOR of a download: 426 then 226", first.startswith("426") and ftp.getresp().startswith("226"), first)
    check("ABOR when idle: 225", ftp.abort().startswith("225"))
    ftp.quit()


def test_gio(port, served, src, work):
    """GNOME's gio through gvfs, on a session bus of its own, and the FUSE mount gvfs makes of it: what a desktop file
    manager or a shell in that folder does (rm -r, mv -f over a file, sed -i, dates)."""
    name, remote, local = folders(served, work, "gio")
    full = os.path.join(src, f"{MIB}.bin")
    shutil.copy(full, os.path.join(remote, "g.bin"))
    fuse, fremote, flocal = folders(served, work, "fuse")
    os.makedirs(os.path.join(fremote, "tree", "sub"))
    for f in ("tree/a.bin", "tree/sub/b.bin", "old.txt", "from.txt", "to.txt", "edit.txt"):
        with open(os.path.join(fremote, f), "w") as out:
            out.write(f)
    os.utime(os.path.join(fremote, "old.txt"), (1590000000, 1590000000))  # May 2020
    url = f"ftp://127.0.0.1:{port}/{name}"
    # The FUSE mount's operations run one by one, each one's exit status written down: one failing must not hide
    # the others. Each is checked on the served folder.
    mounted = f"$XDG_RUNTIME_DIR/gvfs/ftp:host=127.0.0.1,port={port}/{fuse}"
    text = lambda f: open(os.path.join(fremote, f)).read() if os.path.exists(os.path.join(fremote, f)) else None
    mtime = os.path.join(flocal, "old.mtime")
    fuse_ops = [
        ("rm -r removes the folder and all in it", f"rm -r {mounted}/tree",
         lambda: not os.path.exists(os.path.join(fremote, "tree"))),
        ("mv -f replaces a file", f"mv -f {mounted}/from.txt {mounted}/to.txt",
         lambda: text("to.txt") == "from.txt" and text("from.txt") is None),
        ("sed -i edits in place", f"sed -i s/edit/done/ {mounted}/edit.txt", lambda: text("edit.txt") == "done.txt"),
        ("a 2020 file keeps its year", f"stat -c %Y {mounted}/old.txt > {mtime}",
         lambda: time.gmtime(int(open(mtime).read())).tm_year == 2020),
        ("cp down", f"cp {mounted}/../{name}/g.bin {flocal}/down.bin",
         lambda: same(os.path.join(flocal, "down.bin"), full)),
        ("cp up", f"cp {full} {mounted}/up.bin", lambda: same(os.path.join(fremote, "up.bin"), full))]
    script = (f"gio mount -a ftp://127.0.0.1:{port}/ < /dev/null > /dev/null 2>&1\n"
              f"gio list {url}/ > {local}/list.txt || exit 1\n"
              f"gio info -a standard::size,standard::type {url}/g.bin > {local}/info.txt || exit 2\n"
              f"gio copy {url}/g.bin {local}/down.bin || exit 3\n"
              f"gio copy {full} {url}/up.bin || exit 4\n"
              f"for i in $(seq 50); do [ -d {mounted} ] && break; sleep 0.1; done\n" +
              "".join(f"timeout 60 {cmd}; echo $? >> {flocal}/codes\n" for _, cmd, _ in fuse_ops) +
              f"gio mount -u ftp://127.0.0.1:{port}/ || true\n")
    r = run(["dbus-run-session", "--", "bash", "-c", script])
    listed = open(os.path.join(local, "list.txt")).read().split() if os.path.exists(os.path.join(local, "list.txt")) else []
    check("gio list", r.returncode not in (1, 124, 127) and listed == ["g.bin"], (r.returncode, listed, r.stderr[-300:]))
    info = open(os.path.join(local, "info.txt")).read() if os.path.exists(os.path.join(local, "info.txt")) else ""
    check("gio info", f"standard::size: {MIB}" in info and "standard::type: 1" in info, info)
    check("gio copy down", same(os.path.join(local, "down.bin"), full), r.returncode)
    check("gio copy up", r.returncode == 0 and same(os.path.join(remote, "up.bin"), full), r.stderr[-300:])
    if not os.path.exists("/dev/fuse"):
        print("skip GNOME FUSE mount: this machine has no /dev/fuse")
        return
    codes = open(os.path.join(flocal, "codes")).read().split() if os.path.exists(os.path.join(flocal, "codes")) else []
    for (label, _, ok), code in zip(fuse_ops, codes + ["not run"] * len(fuse_ops)):
        check(f"GNOME FUSE mount: {label}", code == "0" and ok(), code)


def test_kio(port, served, src, work):
    """KDE's kioclient5: its ftp worker runs in-process here, without a session bus."""
    name, remote, local = folders(served, work, "kio")
    full = os.path.join(src, f"{MIB}.bin")
    shutil.copy(full, os.path.join(remote, "k.bin"))
    url = f"ftp://127.0.0.1:{port}/{name}"
    env = {"QT_QPA_PLATFORM": "offscreen"}
    r = run(["kioclient5", "ls", url + "/"], env=env)
    check("kioclient5 ls", r.returncode == 0 and "k.bin" in r.stdout.decode().split(), r.stdout + r.stderr[-300:])
    r = run(["kioclient5", "stat", url + "/k.bin"], env=env)
    fields = dict(line.split(None, 1) for line in r.stdout.decode().splitlines() if len(line.split(None, 1)) == 2)
    check("kioclient5 stat shows size and permissions", r.returncode == 0 and fields.get("SIZE") == str(MIB) and
          fields.get("ACCESS") == "0644", fields)
    r = run(["kioclient5", "--noninteractive", "copy", url + "/k.bin", "file://" + os.path.join(local, "k.bin")], env=env)
    check("kioclient5 copy down", r.returncode == 0 and same(os.path.join(local, "k.bin"), full), r.stderr[-300:])
    r = run(["kioclient5", "--noninteractive", "copy", "file://" + full, url + "/up.bin"], env=env)
    check("kioclient5 copy up", r.returncode == 0 and same(os.path.join(remote, "up.bin"), full), r.stderr[-300:])


def test_rclone(port, served, src, work):
    """rclone with its defaults, configured on the command line only."""
    name, remote, local = folders(served, work, "rclone")
    tree_src = os.path.join(local, "src")
    os.makedirs(os.path.join(tree_src, "sub"))
    for size in (0, 4097, MIB):
        shutil.copy(os.path.join(src, f"{size}.bin"), os.path.join(tree_src, f"r{size}.bin"))
        shutil.copy(os.path.join(src, f"{size}.bin"), os.path.join(tree_src, "sub", f"s{size}.bin"))
    obscured = run(["rclone", "obscure", "anonymous"]).stdout.decode().strip()
    opts = ["--ftp-host", "127.0.0.1", "--ftp-port", str(port), "--ftp-user", "anonymous", "--ftp-pass", obscured,
            "--config", os.devnull]
    r = run(["rclone", "copy", tree_src, f":ftp:{name}/tree", *opts])
    check("rclone copy up", r.returncode == 0 and tree(os.path.join(remote, "tree")) == tree(tree_src), r.stderr[-300:])
    r = run(["rclone", "lsf", "-R", f":ftp:{name}", *opts])
    check("rclone lsf", r.returncode == 0 and "tree/sub/s4097.bin" in r.stdout.decode().split(), r.stdout[-300:])
    r = run(["rclone", "mkdir", f":ftp:{name}/made", *opts])
    check("rclone mkdir", r.returncode == 0 and os.path.isdir(os.path.join(remote, "made")), r.stderr[-300:])
    r = run(["rclone", "check", tree_src, f":ftp:{name}/tree", *opts])
    check("rclone check", r.returncode == 0, r.stderr[-300:])
    down = os.path.join(local, "down")
    r = run(["rclone", "copy", f":ftp:{name}/tree", down, *opts])
    check("rclone copy down", r.returncode == 0 and tree(down) == tree(tree_src), r.stderr[-300:])


def test_rclone_tls(port, served, src, work):
    """rclone over explicit FTPS, sync twice and copy back: it shares one TLS session among its pool of control
    connections, so its data connections resume sessions issued to another of its control connections."""
    name, remote, local = folders(served, work, "rclone-tls")
    tree_src = os.path.join(local, "src")
    os.makedirs(os.path.join(tree_src, "sub"))
    for i, size in enumerate((0, 1, 4097, MIB, 4096)):
        shutil.copy(os.path.join(src, f"{size}.bin"), os.path.join(tree_src, "sub" if i % 2 else "", f"t{size}.bin"))
    server = VelkaroServer(VELKARO, served, work, extra=["--tls"])
    try:
        obscured = run(["rclone", "obscure", "anonymous"]).stdout.decode().strip()
        opts = ["--ftp-host", "127.0.0.1", "--ftp-port", str(server.port), "--ftp-user", "anonymous", "--ftp-pass",
                obscured, "--ftp-explicit-tls", "--ftp-no-check-certificate", "--config", os.devnull,
                "--contimeout", "20s", "--timeout", "20s", "--retries", "1"]
        for attempt in (1, 2):
            r = run(["rclone", "sync", tree_src, f":ftp:{name}/sync", *opts])
            check(f"rclone sync over FTPS, run {attempt}", r.returncode == 0 and
                  tree(os.path.join(remote, "sync")) == tree(tree_src), r.stderr[-300:])
            down = os.path.join(local, f"down{attempt}")
            r = run(["rclone", "copy", f":ftp:{name}/sync", down, *opts])
            check(f"rclone copy down over FTPS, run {attempt}", r.returncode == 0 and tree(down) == tree(tree_src),
                  r.stderr[-300:])
    finally:
        server.stop()


def test_client_operations(port, served, src, work):
    """What mirroring clients do: names in every form and links listed as on disk, nothing sent twice, dates kept,
    uploads through a temporary name, rclone's modification times. Every file is compared by sha256."""
    name, remote, local = folders(served, work, "ops")
    odd = [b"cafe\xcc\x81.txt", "caf\u00e9-nfc.txt".encode(), b"latin\xe9.txt", b"blank name.txt", b"-dash.txt"]
    os.makedirs(os.path.join(remote, "real"))
    for n in odd + [b"real/inner.bin"]:
        with open(os.path.join(os.fsencode(remote), n), "wb") as f:
            f.write(os.urandom(1000))
    os.symlink("real", os.path.join(remote, "link-dir"))
    old = os.path.join(remote, "old.txt")
    with open(old, "w") as f:
        f.write("2020")
    os.utime(old, (1590000000, 1590000000))  # May 2020
    want = tree(remote)
    want.update({os.path.join("link-dir", "inner.bin"): want[os.path.join("real", "inner.bin")]})
    settings = f"set net:max-retries 1; set net:timeout 20; set cmd:fail-exit yes; open -p {port} 127.0.0.1"
    for mlsd in ("off", "on"):
        down = os.path.join(local, f"mirror-{mlsd}")
        runs = [run(["lftp", "-c", f"set ftp:use-mlsd {mlsd}; {settings}; mirror -v {name} {down}"]) for _ in range(2)]
        check(f"lftp mirror (MLSD {mlsd}) of NFD, Latin-1 and odd names and a link to a folder, twice: the second "
              f"sends nothing", all(r.returncode == 0 for r in runs) and tree(down) == want and
              b"Transferring" not in runs[1].stdout, [r.stderr[-200:] for r in runs])
    up = f"{name}/up"
    runs = [run(["lftp", "-c", f"{settings}; mirror -R -v {os.path.join(local, 'mirror-on')} {up}"]) for _ in range(2)]
    check("lftp mirror -R twice: the second sends nothing", all(r.returncode == 0 for r in runs) and
          tree(os.path.join(remote, "up")) == want and b"Transferring" not in runs[1].stdout, runs[1].stdout[-300:])
    newer = os.path.join(src, f"{MIB}.bin")
    r = run(["lftp", "-c", f"set xfer:use-temp-file yes; {settings}; put {newer} -o {name}/old.txt"])
    check("lftp put through a temporary name over an existing file", r.returncode == 0 and
          same(newer, old) and sorted(os.listdir(remote)) == sorted([os.fsdecode(n) for n in odd] +
          ["real", "link-dir", "old.txt", "up"]), r.stderr[-300:])
    os.utime(old, (1590000000, 1590000000))
    r = run(["wget", "-q", "-N", "-P", local, f"ftp://127.0.0.1:{port}/{name}/old.txt"])
    got = os.path.join(local, "old.txt")
    check("wget -N keeps a 2020 file's year", r.returncode == 0 and same(got, old) and
          time.gmtime(os.path.getmtime(got)).tm_year == 2020, r.stderr[-300:])
    obscured = run(["rclone", "obscure", "anonymous"]).stdout.decode().strip()
    opts = ["--ftp-host", "127.0.0.1", "--ftp-port", str(port), "--ftp-user", "anonymous", "--ftp-pass", obscured,
            "--config", os.devnull, "-v"]
    src_tree = os.path.join(local, "mirror-off")
    runs = [run(["rclone", "sync", src_tree, f":ftp:{name}/rclone", *opts]) for _ in range(2)]
    times = abs(os.path.getmtime(os.path.join(remote, "rclone", "real", "inner.bin")) -
                os.path.getmtime(os.path.join(src_tree, "real", "inner.bin"))) < 2
    check("rclone sync twice keeps modification times and sends nothing the second time",
          all(r.returncode == 0 for r in runs) and times and b"Copied" not in runs[1].stderr and
          b"not supported" not in runs[0].stderr, runs[1].stderr[-300:])


def test_concurrent_pasv(port, served, src, work):
    """50 clients at once, 5 data round trips each (PASV, a listing on a data connection, 226), three times."""
    name, remote, local = folders(served, work, "load")
    with open(os.path.join(remote, "x.bin"), "wb") as f:
        f.write(b"x" * 1000)
    for attempt in range(3):
        failures, lock = [], threading.Lock()
        start = threading.Barrier(50)

        def client():
            try:
                ftp = ftp_session(port)
                start.wait(30)
                for _ in range(5):
                    got = bytearray()
                    ftp.retrbinary(f"RETR {name}/x.bin", got.extend)
                    if bytes(got) != b"x" * 1000:
                        raise ValueError("wrong bytes")
                ftp.quit()
            except Exception as e:  # noqa: BLE001 (every failure is counted)
                with lock:
                    failures.append(repr(e))

        threads = [threading.Thread(target=client) for _ in range(50)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(CLIENT_TIMEOUT)
        check(f"250 concurrent round trips, run {attempt + 1}: no failure", not failures, failures[:3])


CASES = [test_ftplib, test_curl, test_lftp, test_resume_and_append, test_recursive, test_line_clients,
         test_ftplib_extensions, test_gio, test_kio, test_rclone, test_rclone_tls, test_client_operations,
         test_concurrent_pasv]


def main():
    with tempfile.TemporaryDirectory(prefix="velkaro-e2e-") as work:
        # Clients keep their settings and caches in a home of their own, not in the user's.
        os.environ["HOME"] = os.path.join(work, "home")
        os.environ["XDG_RUNTIME_DIR"] = os.path.join(work, "run")
        os.makedirs(os.environ["HOME"])
        os.makedirs(os.environ["XDG_RUNTIME_DIR"], mode=0o700)
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
            for case in CASES:
                case(server.port, served, src, work)
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
