"""Web page throughput, side by side in one run: a file (1 GiB by default) uploaded with PUT and downloaded with GET,
and 3 000 small downloads 100 at a time, against `velkaro web`, nginx (`dav_methods PUT`, when installed) and
`python3 -m http.server` (the large download only), all with curl over loopback. The server's resident memory is sampled
from /proc during the upload: it must stay flat (uploads stream to disk). The load average is printed beside the
figures: the machine is shared.

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
SMALL_REQUESTS, AT_ONCE = 3000, 100
work = tempfile.mkdtemp(prefix="web_bench_", dir=os.environ.get("BENCH_DIR"))
served, source = os.path.join(work, "served"), os.path.join(work, "source.bin")
os.mkdir(served)
block = os.urandom(16 << 20)
with open(source, "wb") as f:
    for _ in range(size_mib // 16):
        f.write(block)
with open(os.path.join(served, "small.pdf"), "wb") as f:
    f.write(os.urandom(10 << 10))


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))


def cpu_seconds(pids):
    total = 0
    for pid in pids:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        total += (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    return total


def curl(*args):
    """Seconds one curl transfer takes."""
    start = time.perf_counter()
    subprocess.run(["curl", "-sSf", "-o", "/dev/null", *args], check=True)
    return time.perf_counter() - start


def burst(url):
    """Requests per second of SMALL_REQUESTS downloads of `url`, AT_ONCE at a time, and how many were not 200."""
    config = os.path.join(work, "burst.curl")
    with open(config, "w") as f:
        f.write(f'url = "{url}"\noutput = "/dev/null"\n' * SMALL_REQUESTS)
    start = time.perf_counter()
    r = subprocess.run(["curl", "-s", "-Z", "--parallel-max", str(AT_ONCE), "--max-time", "20", "-K", config,
                        "-w", "%{http_code}\n"], capture_output=True, timeout=600)
    seconds = time.perf_counter() - start
    codes = r.stdout.decode().split()
    return SMALL_REQUESTS / seconds, SMALL_REQUESTS - codes.count("200")


def median(values):
    return sorted(values)[len(values) // 2]


def free_port(offset):
    return 18000 + (os.getpid() + offset) % 1000


# velkaro with room for the bench's 100 connections at once from one address (the default answers the rest 503).
web = subprocess.Popen([velkaro, "web", "--dir", served, "--port", "0", "--no-announce", "--max-per-address", "128"],
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
address = web.stdout.readline().decode().strip()
port, key = re.match(r"http://[^/]*:(\d+)/\?k=(\w+)", address).groups()
servers = {"velkaro web": (f"http://127.0.0.1:{port}/files/", f"?k={key}", [web.pid])}
python_port = free_port(0)
python = subprocess.Popen([sys.executable, "-m", "http.server", str(python_port), "--bind", "127.0.0.1",
                           "--directory", served], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
servers["python3 http.server"] = (f"http://127.0.0.1:{python_port}/", "", [python.pid])
nginx = None
if shutil.which("nginx"):
    nginx_port = free_port(1)
    conf = os.path.join(work, "nginx.conf")
    temp = os.path.join(work, "nginx-temp")
    os.mkdir(temp)
    with open(conf, "w") as f:
        f.write(f"""user root; worker_processes 1; daemon off; pid {work}/nginx.pid; error_log {work}/nginx-error.log;
events {{ worker_connections 1024; }}
http {{
  access_log off; sendfile on; client_max_body_size 0;
  client_body_temp_path {temp}/body; proxy_temp_path {temp}/proxy; fastcgi_temp_path {temp}/fastcgi;
  uwsgi_temp_path {temp}/uwsgi; scgi_temp_path {temp}/scgi;
  server {{ listen 127.0.0.1:{nginx_port} backlog=4096; root {served}; location / {{ dav_methods PUT; }} }}
}}
""")
    nginx = subprocess.Popen(["nginx", "-c", conf, "-p", work], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    workers = subprocess.run(["pgrep", "-P", str(nginx.pid)], capture_output=True).stdout.decode().split()
    servers["nginx"] = (f"http://127.0.0.1:{nginx_port}/", "", [nginx.pid, *map(int, workers)])
time.sleep(1)

uploads = {name: [] for name in servers if name != "python3 http.server"}
upload_cpu = {name: [] for name in uploads}
downloads = {name: [] for name in servers}
bursts = {name: [] for name in servers}
rss, loads = [], []
try:
    for round_number in range(rounds):
        loads.append(os.getloadavg()[0])
        # Each server in turn, the order changing every round.
        order = list(servers.items()) if round_number % 2 == 0 else list(reversed(servers.items()))
        for name, (prefix, query, pids) in order:
            if name in uploads:
                samples, done = [], threading.Event()

                def sample():
                    while not done.is_set():
                        samples.append(rss_kib(pids[-1]))
                        time.sleep(0.1)

                sampler = threading.Thread(target=sample)
                before = rss_kib(pids[-1])
                sampler.start()
                cpu = cpu_seconds(pids)
                uploads[name].append(curl("-T", source, f"{prefix}big.bin{query}"))
                upload_cpu[name].append(cpu_seconds(pids) - cpu)
                done.set()
                sampler.join()
                if name == "velkaro web":
                    rss.append((before, max(samples)))
            elif not os.path.exists(os.path.join(served, "big.bin")):
                shutil.copy(source, os.path.join(served, "big.bin"))
            downloads[name].append(curl(f"{prefix}big.bin{query}"))
            # Python's server listens with a queue of 5: a burst of 100 loses its SYNs and waits out retries.
            if name != "python3 http.server":
                bursts[name].append(burst(f"{prefix}small.pdf{query}"))
finally:
    for process in (web, python, nginx):
        if process:
            process.terminate()
            process.wait()
    shutil.rmtree(work, ignore_errors=True)

rate = lambda seconds: size_mib / seconds  # noqa: E731
print(f"{size_mib} MiB, {rounds} rounds, medians; load average {min(loads):.1f}-{max(loads):.1f} at the rounds' starts")
for name in servers:
    line = f"{name:20} download {rate(median(downloads[name])):6.0f} MiB/s"
    if name in uploads:
        line += f"  upload {rate(median(uploads[name])):6.0f} MiB/s (server CPU {median(upload_cpu[name]):.2f} s)"
    if bursts[name]:
        rates = [r for r, _ in bursts[name]]
        line += f"  {AT_ONCE} at once: {median(rates):6.0f} requests/s ({max(f for _, f in bursts[name])} not 200)"
    print(line)
if "nginx" in servers:
    print(f"upload ratio velkaro/nginx (nginx time / ours) {median(uploads['nginx']) / median(uploads['velkaro web']):.2f}"
          f", per round: {', '.join(f'{n / v:.2f}' for n, v in zip(uploads['nginx'], uploads['velkaro web']))}")
for before, peak in rss:
    print(f"velkaro RSS during the upload: {before / 1024:.1f} MiB before, {peak / 1024:.1f} MiB at most")
