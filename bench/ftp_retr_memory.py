#!/usr/bin/env python3
"""Peak memory of `velkaro ftp` while it sends one large file (RETR), against the file's size.

Usage: bench/ftp_retr_memory.py path/to/velkaro [size-in-MiB, default 1024]

Starts the server on a free loopback port over a temporary folder holding one file of the given size, downloads
it with python's ftplib (passive mode) while sampling the server's resident set, and prints the server's peak
RSS (VmHWM) before and after the download and the throughput. A streaming server's peak stays flat whatever the
file's size; one that reads the whole file first grows by the file's size."""
import ftplib
import os
import subprocess
import sys
import tempfile
import time


def status_kib(pid, field):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def main():
    velkaro = os.path.abspath(sys.argv[1])
    size_mib = int(sys.argv[2]) if len(sys.argv) > 2 else 1024
    with tempfile.TemporaryDirectory(prefix="velkaro-bench-") as work:
        path = os.path.join(work, "big.bin")
        with open(path, "wb") as f:
            block = os.urandom(1 << 20)
            for _ in range(size_mib):
                f.write(block)
        log = open(os.path.join(work, "server.log"), "wb")
        proc = subprocess.Popen([velkaro, "ftp", "--dir", work, "--port", "0"], stdout=subprocess.PIPE, stderr=log)
        port = None
        while port is None:
            line = proc.stdout.readline().decode()
            if not line:
                raise SystemExit("server did not start")
            if line.startswith("Serving "):
                port = int(line.rsplit(" ", 1)[1])
        try:
            before = status_kib(proc.pid, "VmHWM")
            ftp = ftplib.FTP()
            ftp.connect("127.0.0.1", port, timeout=60)
            ftp.login()
            received = 0
            samples = []

            def sink(block):
                nonlocal received
                received += len(block)
                if received % (64 << 20) < len(block):
                    samples.append(status_kib(proc.pid, "VmRSS"))

            start = time.monotonic()
            ftp.retrbinary("RETR big.bin", sink, blocksize=1 << 20)
            seconds = time.monotonic() - start
            ftp.quit()
            peak = status_kib(proc.pid, "VmHWM")
        finally:
            proc.terminate()
            proc.wait(timeout=15)
            log.close()
    assert received == size_mib << 20, received
    print(f"file: {size_mib} MiB; received {received} bytes in {seconds:.2f} s ({size_mib / seconds:.0f} MiB/s)")
    print(f"server peak RSS: {before / 1024:.1f} MiB before, {peak / 1024:.1f} MiB after the download")
    print("server RSS every 64 MiB sent (MiB): " + ", ".join(f"{s / 1024:.1f}" for s in samples))


if __name__ == "__main__":
    main()
