"""The web page's plain requests against `velkaro web` on loopback: access, names, folders, shared links, ranges,
validators, a burst, the per-address limit and broken uploads.
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


log = os.path.join(work, "web.log")
server = WebServer(velkaro, folder, ["--idle-timeout", "2", "--request-timeout", "2", "--verbose"], log=log)
key = server.key
whole = bytes(range(256)) * 40  # keep.pdf
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

# Names: documents in the folder and its folders, confined like FTP's.
names = [
    ("..", 400), ("..%2Fescape.pdf", 400), ("Books%2Fa.pdf", 400), ("a%00b.pdf", 400), ("%FFbad.pdf", 400),
    (".hidden", 400), ("a%0Ab.pdf", 400), ("Books", 409), ("Books/../x.pdf", 400), ("Books//a.pdf", 400),
    ("Books/.hidden", 400), ("missing/a.pdf", 409), ("Books/a.pdf", 201),
    ("caf%C3%A9%20%E2%80%AEfdp.exe", 400),  # U+202E would show it as "café exe.pdf"
    ("Datenbl%C3%A4tter%20%E2%84%96%201.pdf", 201),  # "Datenblätter № 1.pdf"
]
for encoded, want in names:
    got = call(server, "PUT", "/files/" + encoded, b"%PDF-1.4 name test")[0]
    check(f"PUT {encoded} answers {want}", got == want, got)
check("the UTF-8 name is listed and stored", "Datenblätter № 1.pdf" in listing()
      and os.path.exists(os.path.join(folder, "Datenblätter № 1.pdf")), sorted(listing()))
check("no escape through a link", call(server, "GET", "/files/out.pdf")[0] == 404 and "out.pdf" not in listing())

# Folders: listed, and reachable for GET and PUT.
folders = [
    ("the top lists its folder", listing().get("Books", {}).get("folder"), True),
    ("a folder's list", [d["name"] for d in json.loads(call(server, "GET", "/files/Books/")[2])], ["a.pdf"]),
    ("a document in a folder", call(server, "GET", "/files/Books/a.pdf")[2], b"%PDF-1.4 name test"),
    ("a missing folder", call(server, "GET", "/files/missing/")[0], 404),
    ("a file is no folder", call(server, "GET", "/files/keep.pdf/")[0], 404),
    ("a link out is no folder", call(server, "GET", "/files/out.pdf/")[0], 404),
    ("a folder is not uploaded to", call(server, "PUT", "/files/Books/", b"x")[0], 405),
]
for name, got, want in folders:
    check(name, got == want, f"{got} != {want}")

# Shared links: the key leads, so the last segment is the file's name and a download keeps it.
links = [
    ("a shared link", call(server, "GET", f"/k/{key}/files/keep.pdf", key=False)[0:3:2], (200, whole)),
    ("a shared link into a folder", call(server, "GET", f"/k/{key}/files/Books/a.pdf", key=False)[0], 200),
    ("a shared link with a wrong key", call(server, "GET", f"/k/{'0' * 32}/files/keep.pdf", key=False)[0], 403),
    ("the page by a shared link", call(server, "GET", f"/k/{key}/", key=False)[0], 200),
]
for name, got, want in links:
    check(name, got == want, f"{str(got)[:60]} != {str(want)[:60]}")
fetched = os.path.join(work, "fetched")
r = subprocess.run(["wget", "-q", "-P", fetched, f"{server.url}/k/{key}/files/keep.pdf"], capture_output=True, timeout=30)
check("wget saves a shared link under the file's name", r.returncode == 0 and os.listdir(fetched) == ["keep.pdf"],
      (r.returncode, os.listdir(fetched) if os.path.isdir(fetched) else None))
check("PUT over a file answers 200", call(server, "PUT", "/files/keep2.pdf", b"1")[0] == 201
      and call(server, "PUT", "/files/keep2.pdf", b"22")[0] == 200)
only_new = {"If-None-Match": "*"}
check("PUT only if new: 412 over a file, which stays", call(server, "PUT", "/files/keep2.pdf", b"333", only_new)[0] == 412
      and open(os.path.join(folder, "keep2.pdf"), "rb").read() == b"22")
check("PUT only if new: 201 for a new name", call(server, "PUT", "/files/keep3.pdf", b"4", only_new)[0] == 201)

# Ranges on a 10240-byte file.
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

# Validators: 304 when nothing changed, and If-Range gives a resume only the bytes of the version it began.
_, headers, _ = call(server, "GET", "/files/keep.pdf")
etag, modified = headers.get("ETag", ""), headers.get("Last-Modified", "")
validators = [
    ({"If-None-Match": etag}, 304, b""),
    ({"If-None-Match": f'"other", W/{etag}'}, 304, b""),
    ({"If-None-Match": '"other"'}, 200, whole),
    ({"If-None-Match": '"other"', "If-Modified-Since": modified}, 200, whole),
    ({"If-Modified-Since": modified}, 304, b""),
    ({"If-Modified-Since": "Thu, 01 Jan 1970 00:00:00 GMT"}, 200, whole),
    ({"If-Modified-Since": "yesterday"}, 200, whole),
    ({"Range": "bytes=0-9", "If-Range": etag}, 206, whole[:10]),
    ({"Range": "bytes=0-9", "If-Range": modified}, 206, whole[:10]),
    ({"Range": "bytes=0-9", "If-Range": '"older"'}, 200, whole),
]
check("a file has an ETag and a Last-Modified date", etag.startswith('"') and modified.endswith(" GMT"), headers)
for asked, want, body in validators:
    status, got_headers, got = call(server, "GET", "/files/keep.pdf", headers=asked)
    check(f"{asked}: {want}", (status, got) == (want, body) and got_headers.get("ETag") == etag, (status, len(got)))
mirror = os.path.join(work, "mirror")
runs = [subprocess.run(["wget", "-N", "-P", mirror, f"{server.url}/k/{key}/files/keep.pdf"], capture_output=True,
                       timeout=30) for _ in range(2)]
check("wget -N keeps the file's date and does not fetch it again",
      all(r.returncode == 0 for r in runs) and b"304 Not Modified" in runs[1].stderr and
      abs(os.path.getmtime(os.path.join(mirror, "keep.pdf")) - os.path.getmtime(os.path.join(folder, "keep.pdf"))) < 1,
      runs[1].stderr[-200:])

# A burst of 100 connections at once from one address: each gets an answer, a 503 with Retry-After past the limit.
answers = []


def one_request():
    answers.append(raw(server, f"GET /files/keep.pdf?k={key} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n".encode(),
                       wait=10))


burst = [threading.Thread(target=one_request) for _ in range(100)]
for t in burst:
    t.start()
for t in burst:
    t.join(30)
statuses = sorted({a[9:12] for a in answers})
check("a burst of 100: every connection answered, 200 or 503 with Retry-After",
      len(answers) == 100 and set(statuses) <= {b"200", b"503"} and
      all(b"Retry-After: 1" in a for a in answers if a[9:12] == b"503"), statuses)

# Limits and broken uploads: nothing is left behind, the old file stays whole.
before = sha(os.path.join(folder, "keep.pdf"))
huge = raw(server, b"GET /?k=" + key.encode() + b" HTTP/1.1\r\nHost: x\r\nX-Big: " + b"a" * 200000 + b"\r\n\r\n")
check("huge headers are refused (431) and the connection closed", huge.startswith(b"HTTP/1.1 431"), huge[:40])
free = os.statvfs(folder).f_bavail * os.statvfs(folder).f_frsize
status = raw(server, f"PUT /files/keep.pdf?k={key} HTTP/1.1\r\nHost: x\r\nContent-Length: {free * 2}\r\n"
             "Expect: 100-continue\r\n\r\n".encode())
check("a body larger than the free space: 507 before it is sent", status.startswith(b"HTTP/1.1 507"), status[:40])
# A head sent a byte at a time, each within the idle time-out, is cut off at the request time-out.
start = time.time()
drip = socket.create_connection(("127.0.0.1", server.port), timeout=1)
closed = False
for byte in b"GET /?k=" + key.encode() + b" HTTP/1.1\r\nHost: x\r\n" + b"X: " + b"y" * 40:
    try:
        drip.sendall(bytes([byte]))
        time.sleep(0.4)
        if drip.recv(1) == b"":
            closed = True
            break
    except socket.timeout:
        continue
    except OSError:
        closed = True
        break
drip.close()
check("a head that trickles in is closed at the request time-out", closed and time.time() - start < 4,
      (closed, time.time() - start))
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
with open(log, errors="replace") as f:
    logged = f.read()
check("--verbose logs each request: address, method, path, status, bytes, time; never the key",
      "127.0.0.1 GET /files/keep.pdf 206 100 bytes" in logged and " ms" in logged and key not in logged
      and "GET /k/…/files/keep.pdf 200" in logged,
      logged[-300:])

# Past the per-address limit, or the server's: 503 with Retry-After (not left waiting), and served again once a
# connection closes.
for limit in ("--max-per-address", "--max-clients"):
    server = WebServer(velkaro, folder, [limit, "2"])
    held = [socket.create_connection(("127.0.0.1", server.port), timeout=5) for _ in range(2)]
    time.sleep(0.2)  # both taken by the server before the third
    status, headers, body = call(server, "GET", "/files/")
    check(f"{limit} 2, a third connection: 503 with Retry-After",
          status == 503 and headers.get("Retry-After") == "1" and b"try again" in body, (status, headers))
    held.pop().close()
    deadline, served = time.time() + 5, False
    while not served and time.time() < deadline:
        served = call(server, "GET", "/files/")[0] == 200
        time.sleep(0 if served else 0.1)
    check(f"{limit} 2: served again once one closed", served)
    for s in held:
        s.close()
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
# After a wrong password the address's penalty passes before any password is looked at, the right one too.
start = time.time()
codes = [call(server, "GET", "/files/", headers=h)[0] for h in ({"Authorization": "Basic YW5uOnk="}, auth)]
check("a login after a failure waits out the penalty first", codes == [401, 200] and time.time() - start >= 0.9,
      (codes, time.time() - start))
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
