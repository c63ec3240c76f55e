#!/usr/bin/env python3
"""The datasheet index side by side with the tools a user would reach for without it.

    bench/library_compare.py [build/velkaro] [--files 300] [--pages 34]

Writes a corpus of datasheet-like PDFs (datasheet_corpus.py: 300 files of 34 pages, 10 200 pages), then measures
in one run: indexing it from scratch with `velkaro datasheets index` against extracting the same text with
`pdftotext` (one process per file, as a script would), and answering queries with `velkaro datasheets search`
(the whole program: start, a check of the folder for changes, the query) and with the index's query alone
(Python's sqlite3 on the same database, the part that grows with the corpus) against `pdfgrep -r` over the
folder. Needs poppler-utils and pdfgrep (the Makefile's deps install them).
"""
import argparse
import glob
import os
import shutil
import sqlite3
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
        db = sqlite3.connect(db_path)
        print("\n| query | velkaro search (ms) | index query (ms) | pdfgrep -r (ms) | pdfgrep / search |")
        print("|---|---|---|---|---|")
        for query, grep in QUERIES:
            whole = statistics.median(timed([args.velkaro, "datasheets", "search", query, "--dir", corpus], env=env)
                                      for _ in range(5))
            out = subprocess.run([args.velkaro, "datasheets", "search", query, "--dir", corpus, "--json"], env=env,
                                 check=True, capture_output=True, text=True).stdout
            expression = fts_expression(query)
            q = ("SELECT d.path, p.page, snippet(pages, 0, char(1), char(2), '…', 12), bm25(pages) AS rank "
                 "FROM pages p JOIN documents d ON d.id = p.doc WHERE pages MATCH ? ORDER BY rank LIMIT 20")
            runs = []
            for _ in range(5):
                start = time.perf_counter()
                db.execute(q, (expression,)).fetchall()
                runs.append(time.perf_counter() - start)
            alone = statistics.median(runs)
            grep_time = timed(["pdfgrep", "-r", "-c"] + grep + [corpus], check=False)
            print("| `%s` (%d results) | %.1f | %.2f | %.0f | %.0f× |" % (query, out.count('"path"'), whole * 1e3,
                                                                        alone * 1e3, grep_time * 1e3,
                                                                        grep_time / whole))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def fts_expression(query):
    """The expression velkaro builds for a typed query (words quoted, * kept as a prefix mark)."""
    out, i = [], 0
    while i < len(query):
        if query[i] == '"':
            end = query.find('"', i + 1)
            end = len(query) if end < 0 else end
            out.append('"%s"' % query[i + 1:end])
            i = end + 1
        elif query[i].isspace():
            i += 1
        else:
            end = i
            while end < len(query) and not query[end].isspace():
                end += 1
            word = query[i:end]
            out.append('"%s" *' % word.rstrip("*") if word.endswith("*") else '"%s"' % word)
            i = end
    return " ".join(out)


if __name__ == "__main__":
    main()
