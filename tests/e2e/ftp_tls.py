#!/usr/bin/env python3
"""Explicit FTPS of `velkaro ftp --tls` with real clients: curl (list, get, put, resume; the key pinned), lftp with
ftp:ssl-force, python ftplib FTP_TLS with prot_p and rclone with explicit_tls, each file compared by sha256; the
fingerprint printed is the one clients see; --require-tls refuses a plain login and clear transfers; a client that
sends garbage instead of a handshake changes nothing for the others; a data connection resuming the TLS session of
another control connection is served when that one came from the same address (and, with --user, logged in), and
refused otherwise; without its TLS module the program refuses --tls with the reason. Usage: ftp_tls.py path/to/velkaro"""
import ftplib
import hashlib
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
from ftp_server import Server, check, sha, summary  # noqa: E402

VELKARO = os.path.abspath(sys.argv[1])
TIMEOUT = 120


def run(cmd, env=None):
    try:
        return subprocess.run(cmd, capture_output=True, timeout=TIMEOUT, env={**os.environ, **(env or {})})
    except FileNotFoundError:
        return subprocess.CompletedProcess(cmd, 127, b"", f"{cmd[0]} is not installed (make deps)".encode())
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess(cmd, 124, b"", f"{cmd[0]} timed out".encode())


def tls_session(port, source=None, login=True):
    ctx = ssl.create_default_context()
    ctx.check_hostname = False
    ctx.verify_mode = ssl.CERT_NONE
    ftp = ftplib.FTP_TLS(context=ctx, timeout=30, source_address=(source, 0) if source else None)
    ftp.connect("127.0.0.1", port)
    if not login:
        ftp.auth()
        return ftp
    ftp.login("user", "pass")
    ftp.prot_p()
    return ftp


def passive_port(ftp):
    reply = ftp.sendcmd("PASV")
    nums = reply[reply.index("(") + 1:reply.index(")")].split(",")
    return int(nums[4]) * 256 + int(nums[5])


def steal(holder, data_port):
    """A connection to `data_port` from 127.0.0.1 that resumes `holder`'s TLS session."""
    raw = socket.create_connection(("127.0.0.1", data_port), timeout=10)
    return holder.context.wrap_socket(raw, session=holder.sock.session)


def retrieve(ftp, holder, data_port):
    """RETR file.bin on `ftp` over a data connection resuming `holder`'s session; the sha256 of what came."""
    conn = steal(holder, data_port)
    resp = ftp.sendcmd("RETR file.bin")
    body = bytearray()
    while chunk := conn.recv(1 << 16):
        body.extend(chunk)
    conn.close()
    ftp.voidresp()
    return hashlib.sha256(body).hexdigest() if resp.startswith("150") else resp


def main():
    work = tempfile.mkdtemp(prefix="velkaro-tls-")
    served = os.path.join(work, "served")
    os.makedirs(served)
    os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")
    source = os.path.join(work, "source.bin")
    with open(source, "wb") as f:
        f.write(os.urandom(5 * (1 << 20) + 123))
    shutil.copy(source, os.path.join(served, "file.bin"))
    server = Server(VELKARO, served, work, extra=["--tls"])
    port = server.port
    try:
        printed = next((l.rsplit(" ", 1)[1] for l in server.lines if l.startswith("FTPS")), "")
        cert = os.path.join(work, "config", "velkaro", "ftps.pem")
        check("certificate kept with mode 0600", os.stat(cert).st_mode & 0o777 == 0o600)
        pin = subprocess.run(f"openssl x509 -in {cert} -pubkey -noout | openssl pkey -pubin -outform der | "
                             "openssl dgst -sha256 -binary | base64", shell=True, capture_output=True).stdout.decode()
        curl = ["curl", "-sS", "--ssl-reqd", "-k", "--pinnedpubkey", "sha256//" + pin.strip()]
        url = f"ftp://127.0.0.1:{port}/"

        got = os.path.join(work, "curl.bin")
        r = run(curl + [url + "file.bin", "-o", got])
        check("curl get", r.returncode == 0 and sha(got) == sha(source), r.stderr)
        r = run(curl + [url, "-l"])
        check("curl list", r.returncode == 0 and b"file.bin" in r.stdout, r.stderr)
        with open(got, "r+b") as f:
            f.truncate(1 << 20)
        r = run(curl + ["-C", "-", url + "file.bin", "-o", got])
        check("curl resumed get", r.returncode == 0 and sha(got) == sha(source), r.stderr)
        r = run(curl + ["-T", source, url + "curl-up.bin"])
        check("curl put", r.returncode == 0 and sha(os.path.join(served, "curl-up.bin")) == sha(source), r.stderr)
        r = run(curl + ["-C", "-", "-T", source, url + "file.bin"])
        check("curl resumed put", r.returncode == 0 and sha(os.path.join(served, "file.bin")) == sha(source), r.stderr)

        lftp_got = os.path.join(work, "lftp.bin")
        script = (f"set ftp:ssl-force true; set ftp:ssl-protect-data true; set ssl:verify-certificate no; "
                  f"set net:max-retries 1; open -p {port} 127.0.0.1; user user pass; get file.bin -o {lftp_got}; "
                  f"put {source} -o lftp-up.bin; bye")
        r = run(["lftp", "-c", script])
        check("lftp ssl-force get and put", r.returncode == 0 and sha(lftp_got) == sha(source) and
              sha(os.path.join(served, "lftp-up.bin")) == sha(source), r.stderr)

        ftp = tls_session(port)
        seen = hashlib.sha256(ftp.sock.getpeercert(binary_form=True)).hexdigest().upper()
        check("printed fingerprint is the one clients see", printed.replace(":", "") == seen, printed)
        data = bytearray()
        ftp.retrbinary("RETR file.bin", data.extend)
        check("ftplib prot_p get", hashlib.sha256(data).hexdigest() == sha(source))
        with open(source, "rb") as f:
            ftp.storbinary("STOR ftplib-up.bin", f)
        check("ftplib prot_p put", sha(os.path.join(served, "ftplib-up.bin")) == sha(source))

        # Clients that share one TLS session among their control connections bring another one's session to the
        # data port: served when it was issued to the same address, refused (and the port waits on) otherwise.
        other = tls_session(port, source="127.0.0.2")
        other.voidcmd("NOOP")
        sibling = tls_session(port)
        sibling.voidcmd("NOOP")
        data_port = passive_port(ftp)
        check("a data connection with another address's TLS session is refused",
              steal(other, data_port).recv(1) == b"")
        check("a data connection with a session of the same address's other control connection is served",
              retrieve(ftp, sibling, data_port) == sha(source))
        other.quit()
        sibling.quit()
        ftp.quit()

        # Garbage instead of a handshake: that client is dropped, the server serves on.
        s = socket.create_connection(("127.0.0.1", port), timeout=10)
        s.recv(1024)
        s.sendall(b"AUTH TLS\r\n")
        s.recv(1024)
        s.sendall(b"GET / HTTP/1.0\r\n\r\n" * 10)
        try:
            s.recv(1024)
        except OSError:
            pass
        s.close()
        r = run(curl + [url, "-l"])
        check("garbage handshake leaves the server serving", r.returncode == 0 and b"file.bin" in r.stdout, r.stderr)

        r = run(["rclone", "lsf", f":ftp,host=127.0.0.1,port={port},user=user,pass={obscure('pass')},"
                 "explicit_tls=true,no_check_certificate=true:"])
        check("rclone explicit_tls list", r.returncode == 0 and b"file.bin" in r.stdout, r.stderr)
    finally:
        check("server stops cleanly", server.stop() == 0)

    password = os.path.join(work, "password")
    with open(password, "w") as f:
        f.write("pass\n")
    server = Server(VELKARO, served, work, extra=["--require-tls", "--user", "user", "--password-file", password])
    try:
        plain = ftplib.FTP()
        plain.connect("127.0.0.1", server.port, timeout=30)
        try:
            plain.login("user", "pass")
            check("--require-tls refuses a plain login", False)
        except ftplib.error_perm as e:
            check("--require-tls refuses a plain login", str(e).startswith("530"), str(e))
        plain.close()
        ftp = tls_session(server.port)
        ftp.prot_c()
        try:
            ftp.nlst()
            check("--require-tls refuses a clear transfer", False)
        except ftplib.error_perm as e:
            check("--require-tls refuses a clear transfer", str(e).startswith("521"), str(e))
        ftp.prot_p()
        check("--require-tls serves under PROT P", "file.bin" in ftp.nlst())
        # With --user, a session is shared only from a control connection that logged in as that account.
        lurker = tls_session(server.port, login=False)
        lurker.voidcmd("NOOP")
        data_port = passive_port(ftp)
        check("a data connection with the session of a connection that never logged in is refused",
              steal(lurker, data_port).recv(1) == b"")
        check("its own client still gets the port", retrieve(ftp, ftp, data_port) == sha(source))
        lurker.close()
        ftp.quit()
    finally:
        server.stop()
    # A program whose TLS module is missing says so and stops instead of serving in clear.
    alone = os.path.join(work, "alone")
    os.makedirs(alone)
    shutil.copy(VELKARO, alone)
    r = run([os.path.join(alone, "velkaro"), "ftp", "--tls", "--port", "0", "--dir", served])
    check("--tls without the TLS module stops with the reason", r.returncode == 1 and
          b"cannot offer TLS: cannot load the TLS module" in r.stderr, r.stderr)
    shutil.rmtree(work, ignore_errors=True)
    return summary()


def obscure(password):
    return subprocess.run(["rclone", "obscure", password], capture_output=True).stdout.decode().strip()


if __name__ == "__main__":
    sys.exit(main())
