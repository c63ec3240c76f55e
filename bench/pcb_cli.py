#!/usr/bin/env python3
"""Wall and CPU time of each board and RF subcommand's answer on the command line, synthesis included.

Usage: bench/pcb_cli.py [--rounds N] path/to/velkaro

Each round runs every command once, in turn, so a busy machine weighs on all of them alike. Prints the median
wall and CPU milliseconds per command (the whole process: start, parsing, computing, printing)."""
import argparse
import os
import statistics
import subprocess
import time

COMMANDS = [
    ["regulator", "--vout", "5", "--r2", "720", "--tolerance", "1"],
    ["trackwidth", "--current", "2", "--rise", "10", "--copper-oz", "1", "--length", "50mm"],
    ["via", "--hole", "0.3mm", "--current", "1"],
    ["spacing", "--voltage", "1000", "--class", "B2"],
    ["impedance", "microstrip", "--width", "3mm"],
    ["impedance", "microstrip", "--z0", "50"],
    ["impedance", "stripline", "--z0", "50", "--height", "0.6mm"],
    ["impedance", "gcpw", "--z0", "50", "--gap", "0.2mm"],
    ["impedance", "coupled-microstrip", "--zdiff", "100", "--gap", "0.15mm", "--height", "0.1mm"],
    ["impedance", "coax", "--outer", "2.95mm", "--z0", "75"],
    ["attenuator", "pi", "--db", "10", "--zin", "75", "--zout", "50"],
    ["fusing", "--width", "0.25mm", "--time", "1"],
    ["cable", "--awg", "14", "--length", "10", "--current", "5", "--max-drop", "0.5"],
    ["wavelength", "--frequency", "433MHz"],
    ["galvanic", "aluminium", "copper"],
]


def timed_run(argv):
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"failed: {' '.join(argv)}")
    return elapsed * 1e3, (usage.ru_utime + usage.ru_stime) * 1e3


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("velkaro")
    args = parser.parse_args()
    times = {i: ([], []) for i in range(len(COMMANDS))}
    for _ in range(args.rounds):
        for i, cmd in enumerate(COMMANDS):
            wall, cpu = timed_run([args.velkaro, *cmd, "--json"])
            times[i][0].append(wall)
            times[i][1].append(cpu)
    print(f"{'command':70} {'wall ms':>8} {'cpu ms':>8}")
    for i, cmd in enumerate(COMMANDS):
        print(f"{' '.join(cmd):70} {statistics.median(times[i][0]):8.1f} {statistics.median(times[i][1]):8.1f}")


if __name__ == "__main__":
    main()
