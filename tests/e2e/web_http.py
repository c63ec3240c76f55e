"""The web page's plain requests against `velkaro web` on loopback: access, names, ranges, limits and broken uploads.
Every case is a row; each ends within a few seconds."""
import http.client
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "support"))
from ftp_server import check, sha, summary  # noqa: E402
from web_server import WebServer  # noqa: E402

velkaro = os.path.abspath(sys.argv[1])
work = tempfile.mkdtemp(prefix="web_http_")
folder = os.path.join(work, "share")
os.mkdir(folder)
with open(os.path.join(folder, "keep.pdf"), "wb") as f:
    f.write(bytes(range(256)) * 40)  # 10240 bytes
os.symlink("/etc/passwd", os.path.join(folder, "out.pdf"))
os.mkdir(os.path.join(folder, "Books"))
secret = os.path.join(work, "password")
with open(secret, "w") as f:
    f.write("s3cret\n")


def call(server, method, path, body=None, headers=None, key=True):
    """Status, headers and body of one request; the key goes in the address unless `key` is False or a string."""
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=10)
    if key:
        path += ("&" if "?" in path else "?") + "k=" + (key if isinstance(key, str) else server.key)
    connection.request(method, path, body=body, headers=headers or {})
    response = connection.getresponse()
    result = response.status, dict(response.getheaders()), response.read()
    connection.close()
    return result


def raw(server, data, wait=3.0):
    """Bytes sent as they are; what comes back until the server closes or `wait` passes."""
    s = socket.create_connection(("127.0.0.1", server.port), timeout=wait)
    s.sendall(data)
    got = b""
    try:
        while chunk := s.recv(65536):
            got += chunk
    except (socket.timeout, ConnectionResetError):
        pass
    s.close()
    return got


def leftovers():
    return sorted(n for n in os.listdir(folder) if n.startswith("."))


def put_slowly(server, name, parts, pause, total=None):
    s = socket.create_connection(("127.0.0.1", server.port), timeout=30)
    total = total or sum(len(p) for p in parts)
    s.sendall(f"PUT /files/{name}?k={server.key} HTTP/1.1\r\nHost: x\r\nContent-Length: {total}\r\n\r\n".encode())
    for part in parts:
        s.sendall(part)
        time.sleep(pause)
    reply = s.recv(1024)
    s.close()
    return reply


server = WebServer(velkaro, folder, ["--idle-timeout", "2"])
key = server.key
listing = lambda: {d["name"]: d for d in json.loads(call(server, "GET", "/files/")[2])}  # noqa: E731

# Access: the key in the address or in the cookie the first visit sets; nothing without it.
status, headers, _ = call(server, "GET", "/")
cookie = headers.get("Set-Cookie", "")
access = [
    ("the page with the key", call(server, "GET", "/")[0], 200),
    ("the page without the key", call(server, "GET", "/", key=False)[0], 403),
    ("the list with a wrong key", call(server, "GET", "/files/", key="0" * 32)[0], 403),
    ("an upload without the key", call(server, "PUT", "/files/x.pdf", b"x", key=False)[0], 403),
    ("the list with the cookie alone",
     call(server, "GET", "/files/", headers={"Cookie": cookie.split(";")[0]}, key=False)[0], 200),
]
for name, got, want in access:
    check(name, got == want, f"{got} != {want}")
check("the cookie is HttpOnly and SameSite=Strict", "HttpOnly" in cookie and "SameSite=Strict" in cookie, cookie)

# Names: one document at the top of the folder, confined like FTP's.
names = [
    ("..", 400), ("..%2Fescape.pdf", 400), ("Books%2Fa.pdf", 400), ("a%00b.pdf", 400), ("%FFbad.pdf", 400),
    (".hidden", 400), ("a%0Ab.pdf", 400), ("Books", 409),
    ("Datenbl%C3%A4tter%20%E2%84%96%201.pdf", 201),  # "Datenblätter № 1.pdf"
]
for encoded, want in names:
    got = call(server, "PUT", "/files/" + encoded, b"%PDF-1.4 name test")[0]
    check(f"PUT {encoded} answers {want}", got == want, got)
check("the UTF-8 name is listed and stored", "Datenblätter № 1.pdf" in listing()
      and os.path.exists(os.path.join(folder, "Datenblätter № 1.pdf")), sorted(listing()))
check("no escape through a link or a folder", call(server, "GET", "/files/out.pdf")[0] == 404
      and "out.pdf" not in listing() and "Books" not in listing())
check("PUT over a file answers 200", call(server, "PUT", "/files/keep2.pdf", b"1")[0] == 201
      and call(server, "PUT", "/files/keep2.pdf", b"22")[0] == 200)

# Ranges on a 10240-byte file.
whole = bytes(range(256)) * 40
ranges = [
    ("bytes=0-99", 206, whole[:100], "bytes 0-99/10240"),
    ("bytes=10000-", 206, whole[10000:], "bytes 10000-10239/10240"),
    ("bytes=-40", 206, whole[-40:], "bytes 10200-10239/10240"),
    ("bytes=10200-99999", 206, whole[10200:], "bytes 10200-10239/10240"),
    ("bytes=10240-", 416, b"", "bytes */10240"),
    ("bytes=0-1,5-6", 200, whole, None),
    ("", 200, whole, None),
]
for header, want, body, content_range in ranges:
    status, headers, got = call(server, "GET", "/files/keep.pdf", headers={"Range": header} if header else {})
    check(f"Range {header or 'none'}: {want}", status == want and got == body
          and headers.get("Content-Range") == content_range, (status, len(got), headers.get("Content-Range")))

# Limits and broken uploads: nothing is left behind, the old file stays whole.
before = sha(os.path.join(folder, "keep.pdf"))
huge = raw(server, b"GET /?k=" + key.encode() + b" HTTP/1.1\r\nHost: x\r\nX-Big: " + b"a" * 200000 + b"\r\n\r\n")
check("huge headers are refused (431) and the connection closed", huge.startswith(b"HTTP/1.1 431"), huge[:40])
free = os.statvfs(folder).f_bavail * os.statvfs(folder).f_frsize
status = raw(server, f"PUT /files/keep.pdf?k={key} HTTP/1.1\r\nHost: x\r\nContent-Length: {free * 2}\r\n"
             "Expect: 100-continue\r\n\r\n".encode())
check("a body larger than the free space: 507 before it is sent", status.startswith(b"HTTP/1.1 507"), status[:40])
start = time.time()
stalled = put_slowly(server, "keep.pdf", [b"x" * 1000], 0, 2000)  # 1000 of 2000 bytes, then silence
check("a stalled upload is closed after the idle time-out", stalled == b"" and time.time() - start < 8,
      (stalled[:40], time.time() - start))
s = socket.create_connection(("127.0.0.1", server.port), timeout=5)
s.sendall(f"PUT /files/keep.pdf?k={key} HTTP/1.1\r\nHost: x\r\nContent-Length: 1000000\r\n\r\n".encode() + b"y" * 500000)
s.close()  # interrupted half-way
# The server may not have taken the request yet: wait for its temporary file to appear, then for it to go.
for want_leftovers in (True, False):
    for _ in range(50):
        if bool(leftovers()) == want_leftovers:
            break
        time.sleep(0.1)
check("interrupted and stalled uploads leave no file and the old one whole",
      leftovers() == [] and sha(os.path.join(folder, "keep.pdf")) == before, (leftovers(),))

# Two clients store one name at once: one whole version wins, never a mix.
bodies = [b"A" * 3_000_000, b"B" * 3_000_000]
codes = []
threads = [threading.Thread(target=lambda b=b: codes.append(put_slowly(server, "same.bin", [b[:1_500_000], b[1_500_000:]], 0.3)[9:12]))
           for b in bodies]
for t in threads:
    t.start()
for t in threads:
    t.join(20)
with open(os.path.join(folder, "same.bin"), "rb") as f:
    result = f.read()
check("concurrent uploads of one name: one whole result", result in bodies and sorted(codes) == [b"200", b"201"],
      (len(result), codes))
server.stop()

# The owner's controls: read-only and an account.
server = WebServer(velkaro, folder, ["--read-only", "--user", "ann", "--password-file", secret])
auth = {"Authorization": "Basic YW5uOnMzY3JldA=="}  # ann:s3cret
owner = [
    ("an account is asked for", call(server, "GET", "/files/")[0], 401),
    ("a wrong password", call(server, "GET", "/files/", headers={"Authorization": "Basic YW5uOng="})[0], 401),
    ("the right account", call(server, "GET", "/files/", headers=auth)[0], 200),
    ("read-only refuses uploads", call(server, "PUT", "/files/new.pdf", b"x", headers=auth)[0], 403),
]
for name, got, want in owner:
    check(name, got == want, f"{got} != {want}")
page = call(server, "GET", "/", headers=auth)[2].decode()
check("read-only: the page hides its upload area", 'data-read-only="true"' in page)


def tree():
    """Every name below the folder with its file's hash (None for a folder or link)."""
    out = {}
    for top, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(top, name)
            plain = os.path.isfile(path) and not os.path.islink(path)
            out[os.path.relpath(path, folder)] = sha(path) if plain else None
    return out


# Every method that could change something, on every kind of address: none is let through.
before, let_through = tree(), []
for method in ("PUT", "POST", "DELETE", "PATCH", "MKCOL", "MOVE", "COPY", "PROPPATCH", "LOCK"):
    for path in ("/", "/files/", "/files/keep.pdf", "/files/new.pdf", "/files/.velkaro-upload-1"):
        headers = dict(auth, Destination="/files/moved.pdf")
        try:
            status = call(server, method, path, b"x" if method in ("PUT", "POST", "PATCH") else None, headers)[0]
        except (http.client.HTTPException, OSError) as e:
            status = f"no answer ({type(e).__name__})"
        if status not in (400, 403, 405):
            let_through.append(f"{method} {path}: {status}")
check("read-only: every writing method on every address is refused", not let_through, let_through)
check("read-only: nothing changed in the folder", tree() == before, set(tree().items()) ^ set(before.items()))
check("read-only: downloads still work", call(server, "GET", "/files/keep.pdf", headers=auth)[0] == 200)
check("the server stops on SIGINT", server.stop() == 0)
for args in (["--port", "70000"], ["--user", "ann"], ["--dir", os.path.join(work, "missing")]):
    got = subprocess.run([velkaro, "web", "--no-announce", *args], capture_output=True, timeout=10).returncode
    check(f"velkaro web {' '.join(args)}: usage error", got == 2, got)
shutil.rmtree(work, ignore_errors=True)
sys.exit(summary())
