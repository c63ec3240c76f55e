"""Web page throughput, side by side in one run: a file (1 GiB by default) uploaded with PUT to `velkaro web` and
downloaded from it, and the same download from `python3 -m http.server`, all with curl over loopback. The server's
resident memory is sampled from /proc during the upload: it must stay flat (uploads stream to disk).

    python3 bench/web_throughput.py build/velkaro [MiB] [rounds]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

velkaro = os.path.abspath(sys.argv[1])
size_mib = int(sys.argv[2]) if len(sys.argv) > 2 else 1024
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
work = tempfile.mkdtemp(prefix="web_bench_", dir=os.environ.get("BENCH_DIR"))
served, source = os.path.join(work, "served"), os.path.join(work, "source.bin")
os.mkdir(served)
block = os.urandom(16 << 20)
with open(source, "wb") as f:
    for _ in range(size_mib // 16):
        f.write(block)


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def curl(*args):
    """Seconds one curl transfer takes."""
    start = time.perf_counter()
    subprocess.run(["curl", "-sSf", "-o", "/dev/null", *args], check=True)
    return time.perf_counter() - start


def median(values):
    return sorted(values)[len(values) // 2]


web = subprocess.Popen([velkaro, "web", "--dir", served, "--port", "0", "--no-announce"], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL)
address = web.stdout.readline().decode().strip()
port, key = re.match(r"http://[^/]*:(\d+)/\?k=(\w+)", address).groups()
base = f"http://127.0.0.1:{port}"
peer_port = 18000 + os.getpid() % 1000
peer = subprocess.Popen([sys.executable, "-m", "http.server", str(peer_port), "--bind", "127.0.0.1",
                         "--directory", served], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(1)

uploads, downloads, peer_downloads, rss, upload_cpu = [], [], [], [], []
try:
    for _ in range(rounds):
        samples, done = [], threading.Event()

        def sample():
            while not done.is_set():
                samples.append(rss_kib(web.pid))
                time.sleep(0.1)

        sampler = threading.Thread(target=sample)
        before = rss_kib(web.pid)
        sampler.start()
        cpu = cpu_seconds(web.pid)
        uploads.append(curl("-T", source, f"{base}/files/big.bin?k={key}"))
        upload_cpu.append(cpu_seconds(web.pid) - cpu)
        done.set()
        sampler.join()
        rss.append((before, max(samples)))
        # The two downloads in turn, the order changing every round.
        pair = [("web", lambda: curl(f"{base}/files/big.bin?k={key}")),
                ("peer", lambda: curl(f"http://127.0.0.1:{peer_port}/big.bin"))]
        for name, run in pair if len(uploads) % 2 else reversed(pair):
            (downloads if name == "web" else peer_downloads).append(run())
finally:
    web.terminate()
    peer.terminate()
    web.wait()
    peer.wait()
    shutil.rmtree(work, ignore_errors=True)

rate = lambda seconds: size_mib / seconds  # noqa: E731
print(f"{size_mib} MiB, {rounds} rounds, medians")
print(f"upload   PUT velkaro web         {rate(median(uploads)):8.0f} MiB/s")
print(f"upload   server CPU              {median(upload_cpu):8.2f} s")
print(f"download GET velkaro web         {rate(median(downloads)):8.0f} MiB/s")
print(f"download GET python3 http.server {rate(median(peer_downloads)):8.0f} MiB/s")
print(f"download ratio velkaro/peer      {median(peer_downloads) / median(downloads):8.2f}")
for before, peak in rss:
    print(f"server RSS during the upload: {before / 1024:.1f} MiB before, {peak / 1024:.1f} MiB at most")
