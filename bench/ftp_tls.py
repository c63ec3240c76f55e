#!/usr/bin/env python3
"""FTPS side by side: RETR and STOR of one big file over TLS (AUTH TLS, PROT P) with `velkaro ftp --tls`,
pyftpdlib's TLS handler and vsftpd with ssl_enable=YES, on loopback, rounds interleaved.

Usage (as root, after `apt-get install python3-pyftpdlib python3-openssl vsftpd`):
    bench/ftp_tls.py path/to/velkaro [--rounds N] [--big-mib M]

Figures (median of the rounds): MiB/s and the server's CPU seconds per GiB moved, for RETR and STOR (the client
is python's ftplib, which decrypts and encrypts in the same machine). Also says whether this kernel offers kernel
TLS (the TCP "tls" upper layer), with which velkaro sends files with SSL_sendfile straight from the page cache;
without it a file is read and encrypted piece by piece through one reused buffer."""
import argparse
import ftplib
import os
import shutil
import socket
import ssl
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ftp_compare import Server, free_port, metered, retr, stor, vsftpd_server  # noqa: E402

PYFTPDLIB_TLS = """
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import TLS_FTPHandler
from pyftpdlib.servers import FTPServer
root, cert, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
authorizer = DummyAuthorizer()
authorizer.add_anonymous(root, perm="elradfmwMT")
TLS_FTPHandler.certfile = cert
TLS_FTPHandler.authorizer = authorizer
TLS_FTPHandler.tls_control_required = TLS_FTPHandler.tls_data_required = True
FTPServer(("127.0.0.1", port), TLS_FTPHandler).serve_forever()
"""


def tls_session(port):
    context = ssl.create_default_context()
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE  # self-signed certificates; pinning is the end-to-end test's business
    ftp = ftplib.FTP_TLS(context=context)
    ftp.connect("127.0.0.1", port, timeout=120)
    ftp.login()  # AUTH TLS first
    ftp.prot_p()
    return ftp


def kernel_tls():
    """Whether the kernel takes the TCP "tls" upper layer (TCP_ULP) on a connected socket."""
    with socket.socket() as listener:
        listener.bind(("127.0.0.1", 0))
        listener.listen(1)
        with socket.create_connection(listener.getsockname()) as s:
            try:
                s.setsockopt(socket.SOL_TCP, 31, b"tls")
                return "available"
            except OSError as e:
                return f"not available ({e.strerror})"


def start_servers(velkaro, root, work):
    log = open(os.path.join(work, "servers.log"), "wb")
    key, cert = os.path.join(work, "key.pem"), os.path.join(work, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=localhost"],
                   check=True, capture_output=True)
    both = os.path.join(work, "both.pem")
    with open(both, "w") as f:
        f.write(open(key).read() + open(cert).read())
    os.chmod(both, 0o600)
    os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")  # velkaro makes its own certificate there
    p = free_port()
    servers = [Server("velkaro", [velkaro, "ftp", "--tls", "--dir", root, "--port", str(p)], p, log)]
    p = free_port()
    servers.append(Server("pyftpdlib", ["/usr/bin/python3", "-c", PYFTPDLIB_TLS, root, both, str(p)], p, log))
    servers.append(vsftpd_server(root, work, log, f"""ssl_enable=YES
allow_anon_ssl=YES
force_anon_logins_ssl=YES
force_anon_data_ssl=YES
require_ssl_reuse=NO
ssl_ciphers=HIGH
rsa_cert_file={cert}
rsa_private_key_file={key}
"""))
    return servers


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("velkaro")
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--big-mib", type=int, default=1024)
    args = ap.parse_args()
    mib = args.big_mib
    names = ("velkaro", "pyftpdlib", "vsftpd")
    with tempfile.TemporaryDirectory(prefix="velkaro-ftps-") as work:
        root = os.path.join(work, "root")
        os.makedirs(os.path.join(root, "incoming"))
        shutil.chown(os.path.join(root, "incoming"), "ftp", "ftp")
        os.chmod(os.path.join(root, "incoming"), 0o777)
        with open(os.path.join(root, "big.bin"), "wb") as f:
            block = os.urandom(1 << 20)
            for _ in range(mib):
                f.write(block)
        os.chmod(root, 0o755)
        os.chmod(work, 0o755)
        servers = start_servers(os.path.abspath(args.velkaro), root, work)
        figures = {n: {} for n in names}
        try:
            for r in range(args.rounds):
                for s in servers[r % len(servers):] + servers[:r % len(servers)]:
                    got = {}
                    wall, meter = metered(s.proc.pid, lambda m: got.update(n=retr(s.port, "big.bin", m, tls_session)))
                    if got["n"] != mib << 20:
                        raise SystemExit(f"{s.name}: RETR gave {got['n']} bytes")
                    figures[s.name].setdefault(f"RETR {mib} MiB, MiB/s", []).append(mib / wall)
                    figures[s.name].setdefault("server CPU per GiB sent, s", []).append(
                        meter.cpu_seconds() * 1024 / mib)
                    up = f"up-{r}.bin"
                    wall, meter = metered(s.proc.pid, lambda m: stor(s.port, up, mib << 20, m, tls_session))
                    if os.path.getsize(os.path.join(root, "incoming", up)) != mib << 20:
                        raise SystemExit(f"{s.name}: STOR stored a short file")
                    os.remove(os.path.join(root, "incoming", up))
                    figures[s.name].setdefault(f"STOR {mib} MiB, MiB/s", []).append(mib / wall)
                    figures[s.name].setdefault("server CPU per GiB received, s", []).append(
                        meter.cpu_seconds() * 1024 / mib)
                    print(f"round {r + 1}: {s.name} done", file=sys.stderr, flush=True)
        finally:
            for s in servers:
                s.stop()
    print(f"kernel TLS on this machine: {kernel_tls()}")
    print(f"{'figure (median of ' + str(args.rounds) + ')':32}" + "".join(f"{n:>10}" for n in names)
          + f" {'better peer':>11} {'ours/it':>8}")
    for k in figures["velkaro"]:
        ours, py, vs = (statistics.median(figures[n][k]) for n in names)
        higher_better = "MiB/s" in k
        best_name, best = max((("pyftpdlib", py), ("vsftpd", vs)), key=lambda t: t[1] if higher_better else -t[1])
        print(f"{k:32}{ours:10.3f}{py:10.3f}{vs:10.3f} {best_name:>11} {ours / best:8.2f}")


if __name__ == "__main__":
    main()
