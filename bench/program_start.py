#!/usr/bin/env python3
"""Start time and memory of the programs, side by side: `velkaro values 4700` (time and peak RSS), `velkaro ftp`
idle (RSS once it listens) and the window's start (the time to draw the menu and write it as a PNG, offscreen).

Usage: bench/program_start.py [--rounds N] [--no-window] NAME=path/to/velkaro [NAME=path/to/other/velkaro ...]

Each round runs every program once per measure, the programs' order turning from round to round, so a busy
machine weighs on all of them alike. Prints the medians and each program's ratio to the first one named."""
import argparse
import os
import signal
import statistics
import subprocess
import tempfile
import time


def timed_run(argv, env=None):
    """Wall and CPU seconds of one run of argv, which must succeed. On a busy machine the wall time is mostly
    waiting for a core; the CPU time is what the program itself costs."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"failed: {' '.join(argv)}")
    return elapsed, usage.ru_utime + usage.ru_stime


def peak_rss(argv):
    """Peak RSS (MiB) of one run of argv. GNU time starts it: a process forked from this script would count the
    script's own pages, which a fork shares and exec keeps in the peak."""
    run = subprocess.run(["/usr/bin/time", "-f", "%M", *argv], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                         text=True, check=True)
    return int(run.stderr.split()[-1]) / 1024


def idle_ftp_rss(velkaro, folder):
    """RSS (MiB) of `velkaro ftp` half a second after it says it serves, with no client."""
    proc = subprocess.Popen([velkaro, "ftp", "--dir", folder, "--port", "0"], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    try:
        for line in proc.stdout:
            if line.startswith("Serving "):
                break
        time.sleep(0.5)
        with open(f"/proc/{proc.pid}/status") as f:
            rss = next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        return rss / 1024
    finally:
        proc.send_signal(signal.SIGTERM)
        proc.wait(timeout=10)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--no-window", action="store_true", help="leave the window's start out")
    parser.add_argument("programs", nargs="+", metavar="NAME=PATH")
    args = parser.parse_args()
    programs = [(p.split("=", 1)[0], os.path.abspath(p.split("=", 1)[1])) for p in args.programs]
    measures = ["values ms", "values CPU ms", "values MiB", "ftp idle MiB"]
    if not args.no_window:
        measures += ["window ms", "window CPU ms"]
    results = {(name, m): [] for name, _ in programs for m in measures}
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    with tempfile.TemporaryDirectory(prefix="velkaro-start-") as work:
        png = os.path.join(work, "menu.png")
        for round_ in range(args.rounds):
            turn = round_ % len(programs)
            for name, path in programs[turn:] + programs[:turn]:
                wall, cpu = timed_run([path, "values", "4700"])
                results[name, "values ms"].append(wall * 1000)
                results[name, "values CPU ms"].append(cpu * 1000)
                results[name, "values MiB"].append(peak_rss([path, "values", "4700"]))
                results[name, "ftp idle MiB"].append(idle_ftp_rss(path, work))
                if not args.no_window and round_ < max(3, args.rounds // 3):  # slow to start: fewer rounds
                    wall, cpu = timed_run([path, "screenshot", png], env)
                    results[name, "window ms"].append(wall * 1000)
                    results[name, "window CPU ms"].append(cpu * 1000)
    first = programs[0][0]
    print(f"medians of {args.rounds} rounds (window: {max(3, args.rounds // 3)}), ratio to {first}")
    print(f"{'':15}" + "".join(f"{name:>22}" for name, _ in programs))
    for m in measures:
        base = statistics.median(results[first, m])
        cells = []
        for name, _ in programs:
            value = statistics.median(results[name, m])
            cells.append(f"{value:10.1f} ({value / base:4.2f}x)")
        print(f"{m:15}" + "".join(f"{c:>22}" for c in cells))


if __name__ == "__main__":
    main()
