#!/usr/bin/env python3
"""The datasheet index side by side with the tools a user would reach for without it.

    bench/library_compare.py [build/velkaro] [--files 300] [--pages 34] [--no-pdfgrep]

Writes a corpus of datasheet-like PDFs (datasheet_corpus.py: 300 files of 34 pages, 10 200 pages), then measures
in one run: indexing it from scratch with `velkaro datasheets index` against extracting the same text with
`pdftotext` (one process per file, as a script would), and answering queries with `velkaro datasheets search`
(the whole program: start, a check of the folder for changes, the query) against `pdfgrep -r` over the folder.
The index's query alone (the part that grows with the corpus) is timed by velkaro_bench (LibrarySearchBench.cpp,
built beside velkaro when Google Benchmark is installed) on the same index, beside a plain full-text SQL query.
Needs poppler-utils and pdfgrep (the Makefile's deps install them).
"""
import argparse
import glob
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
QUERIES = [  # (what a user types, the same for pdfgrep)
    ("LM317-T", ["-F", "LM317-T"]),
    ('"dropout voltage"', ["-i", "dropout voltage"]),
    ("74HC595 shift", ["-i", "74HC595.*shift"]),
    ("regul*", ["-i", r"\bregul"]),
]


def timed(cmd, **kw):
    start = time.perf_counter()
    kw.setdefault("check", True)
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)
    return time.perf_counter() - start


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("velkaro", nargs="?", default="build/velkaro")
    ap.add_argument("--files", type=int, default=300)
    ap.add_argument("--pages", type=int, default=34)
    ap.add_argument("--no-pdfgrep", action="store_true", help="leave out pdfgrep (minutes per query)")
    args = ap.parse_args()
    for tool in ("pdftotext", "pdfgrep"):
        if not shutil.which(tool):
            sys.exit("%s is missing: make deps installs poppler-utils and pdfgrep" % tool)

    work = tempfile.mkdtemp(prefix="velkaro-library-bench-")
    corpus = os.path.join(work, "corpus")
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "data"))
    try:
        subprocess.run([sys.executable, os.path.join(HERE, "datasheet_corpus.py"), corpus, str(args.files),
                        str(args.pages)], check=True)
        files = sorted(glob.glob(os.path.join(corpus, "*.pdf")))
        print("corpus: %d PDFs, %d pages, %.1f MB" % (len(files), len(files) * args.pages,
                                                     sum(os.path.getsize(f) for f in files) / 1e6))

        # Indexing and extracting, interleaved twice so the machine's other load falls on both alike.
        index_times, extract_times = [], []
        for _ in range(2):
            shutil.rmtree(env["XDG_DATA_HOME"], ignore_errors=True)
            index_times.append(timed([args.velkaro, "datasheets", "index", "--dir", corpus], env=env))
            start = time.perf_counter()
            for f in files:
                subprocess.run(["pdftotext", f, "-"], check=True, stdout=subprocess.DEVNULL)
            extract_times.append(time.perf_counter() - start)
        index, extract = min(index_times), min(extract_times)
        print("\n| indexing %d pages | seconds | pages/s |" % (len(files) * args.pages))
        print("|---|---|---|")
        print("| velkaro datasheets index | %.2f | %.0f |" % (index, len(files) * args.pages / index))
        print("| pdftotext, each file | %.2f | %.0f |" % (extract, len(files) * args.pages / extract))
        print("ratio index / pdftotext: %.2f (target at most 1.5)" % (index / extract))

        db_path = glob.glob(os.path.join(env["XDG_DATA_HOME"], "velkaro", "Library*.sqlite"))[0]
        print("\n| query | velkaro search (ms) | pdfgrep -r (ms) | pdfgrep / search |")
        print("|---|---|---|---|")
        for query, grep in QUERIES:
            whole = statistics.median(timed([args.velkaro, "datasheets", "search", query, "--dir", corpus], env=env)
                                      for _ in range(5))
            out = subprocess.run([args.velkaro, "datasheets", "search", query, "--dir", corpus, "--json"], env=env,
                                 check=True, capture_output=True, text=True).stdout
            grep_time = float("nan") if args.no_pdfgrep else timed(["pdfgrep", "-r", "-c"] + grep + [corpus], check=False)
            print("| `%s` (%d results) | %.1f | %.0f | %.0f× |" % (query, out.count('"path"'), whole * 1e3,
                                                                 grep_time * 1e3, grep_time / whole))
        index_query_alone(os.path.join(os.path.dirname(args.velkaro), "velkaro_bench"), db_path)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def index_query_alone(bench, db_path):
    """The index's query in-process, ours beside the plain SQL query, as velkaro_bench times them."""
    if not os.path.exists(bench):
        print("\n%s is missing (Google Benchmark not installed): the index query alone is not timed" % bench)
        return
    out = subprocess.run([bench, "--benchmark_filter=LibrarySearch", "--benchmark_format=json",
                          "--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"],
                         env=dict(os.environ, VELKARO_LIBRARY_INDEX=db_path), check=True, capture_output=True,
                         text=True).stdout
    medians = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            kind = "plain" if "PlainSql" in b["run_name"] else "ours"
            medians.setdefault(b["label"], {})[kind] = (b["real_time"], b["cpu_time"])
    print("\n| index query (20 results; typing: 200, last word a prefix) | ours ms (CPU) | plain SQL ms (CPU) |"
          " plain / ours, CPU |")
    print("|---|---|---|---|")
    for label, t in medians.items():
        print("| `%s` | %.1f (%.1f) | %.1f (%.1f) | %.1f× |" % (label, t["ours"][0], t["ours"][1], t["plain"][0],
                                                             t["plain"][1], t["plain"][1] / max(t["ours"][1], 1e-6)))


if __name__ == "__main__":
    main()
