#!/usr/bin/env bash
# The datasheets subcommand: the count line and the names in the store's order (the file system's own, which
# `ls -f` also gives), hidden entries and sub-folders included; a folder that does not exist is a usage error.
# Usage: datasheets_cli.sh path/to/velkaro
set -u
velkaro=${1:?usage: datasheets_cli.sh path/to/velkaro}
failures=0
store=$(mktemp -d)
trap 'rm -rf "$store"' EXIT

check() {  # check WHAT EXPECTED ACTUAL
    if [[ $2 != "$3" ]]; then
        printf 'FAIL: %s\n  got:  %q\n  want: %q\n' "$1" "$3" "$2"
        failures=$((failures + 1))
    fi
}

out=$(timeout 20 "$velkaro" datasheets --dir "$store")
check "empty folder" "Files: 0" "$out"

mkdir "$store/Old revisions"
printf '%%PDF-1.4\n' > "$store/NE555 Datenblatt ü.pdf"
printf 'x' > "$store/.notes"
out=$(timeout 20 "$velkaro" datasheets --dir "$store")
want=$(printf 'Files: 3\n%s' "$(ls -f -A "$store")")
check "names in the file system's order" "$want" "$out"
out=$(timeout 20 "$velkaro" datasheets --dir "$store" --json)
want=$(python3 -c 'import json, os, sys; n = os.listdir(sys.argv[1]); print(json.dumps({"files": len(n), "names": n}, ensure_ascii=False, separators=(",", ":")))' "$store")
check "names as JSON" "$want" "$out"

# Without --dir the documents folder under XDG_DATA_HOME is listed (and made when missing).
data=$(mktemp -d)
out=$(XDG_DATA_HOME=$data timeout 20 "$velkaro" datasheets)
check "default documents folder" "Files: 0" "$out"
check "documents folder created" "yes" "$([[ -d $data/velkaro/Documents ]] && echo yes)"
rm -rf "$data"

err=$(timeout 20 "$velkaro" datasheets --dir "$store/missing" 2>&1 >/dev/null)
rc=$?
check "missing folder exit status" "2" "$rc"
check "missing folder message" "velkaro: --dir $store/missing is not a folder" "$err"
check "missing folder not created" "no" "$([[ -e $store/missing ]] && echo yes || echo no)"

# Full-text search: one PDF of two pages and a text file; each row is a query and its --json answer.
lib=$(mktemp -d)
data=$(mktemp -d)
python3 - "$lib/LM317 regulator.pdf" <<'PDF'
import sys
pages = ["(Adjustable LM317-T) Tj", "(Dropout voltage 2 V) Tj"]
objs = ["<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [4 0 R 6 0 R] /Count 2 >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
for i, text in enumerate(pages):
    stream = "BT /F1 20 Tf 72 700 Td " + text + " ET"
    objs.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> "
                "/Contents %d 0 R >>" % (5 + 2 * i))
    objs.append("<< /Length %d >>\nstream\n%s\nendstream" % (len(stream), stream))
out, offsets = "%PDF-1.4\n", []
for i, o in enumerate(objs):
    offsets.append(len(out))
    out += "%d 0 obj\n%s\nendobj\n" % (i + 1, o)
xref = len(out)
out += "xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1) + "".join("%010d 00000 n \n" % o for o in offsets)
out += "trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, xref)
open(sys.argv[1], "w").write(out)
PDF
printf 'spare "74HC595" chips\n' > "$lib/notes.txt"
XDG_DATA_HOME=$data timeout 60 "$velkaro" datasheets index --dir "$lib" 2>/dev/null
check "index leaves the folder alone" "LM317 regulator.pdf notes.txt" "$(ls "$lib" | tr '\n' ' ' | sed 's/ $//')"
while IFS='|' read -r query want; do
    out=$(XDG_DATA_HOME=$data timeout 20 "$velkaro" datasheets search "$query" --dir "$lib" --json --limit 5 2>/dev/null)
    check "search $query" "$want" "$out"
done <<'ROWS'
LM317-T|{"results": [{"path": "LM317 regulator.pdf", "page": 1, "snippet": "Adjustable «LM317-T»"}]}
"dropout voltage"|{"results": [{"path": "LM317 regulator.pdf", "page": 2, "snippet": "«Dropout voltage» 2 V"}]}
regul*|{"results": [{"path": "LM317 regulator.pdf", "page": 0, "snippet": "LM317 «regulator».pdf"}]}
74hc595|{"results": [{"path": "notes.txt", "page": 0, "snippet": "spare \"«74HC595»\" chips"}]}
NE555|{"results": []}
ROWS
# The folder given before the subcommand is the one indexed and searched; the documents folder is left alone.
out=$(XDG_DATA_HOME=$data timeout 20 "$velkaro" datasheets --dir "$lib" search LM317-T --json)
check "search in --dir given first" '{"results": [{"path": "LM317 regulator.pdf", "page": 1, "snippet": "Adjustable «LM317-T»"}]}' "$out"
check "documents folder untouched" "no" "$([[ -e $data/velkaro/Documents ]] && echo yes || echo no)"
# No match is said on standard error with status 1, as grep does; with --json the empty list is still printed.
out=$(XDG_DATA_HOME=$data timeout 20 "$velkaro" datasheets search NE555 --dir "$lib" 2>"$data/err")
check "no match" "1||velkaro: no datasheet in $lib matches \"NE555\"" "$?|$out|$(cat "$data/err")"
out=$(XDG_DATA_HOME=$data timeout 20 "$velkaro" datasheets --dir "$lib" search NE555 --json 2>"$data/err")
check "no match as JSON" "1|{\"results\": []}|{\"error\":\"no datasheet in $lib matches \\\"NE555\\\"\",\"status\":1}" \
    "$?|$out|$(cat "$data/err")"
fresh=$(mktemp -d)
out=$(XDG_DATA_HOME=$fresh timeout 60 "$velkaro" datasheets --dir "$lib" index --json 2>/dev/null)
check "index of --dir given first" "0 no" "$? $([[ -e $fresh/velkaro/Documents ]] && echo yes || echo no)"
index=$(ls "$fresh"/velkaro/Library-*.sqlite)
check "index --json" "{\"dir\":\"$lib\",\"index\":\"$index\",\"read\":2,\"changed\":2}" "$out"
rm -rf "$fresh"
err=$(XDG_DATA_HOME=$data timeout 20 "$velkaro" datasheets search '***' --dir "$lib" 2>&1 >/dev/null)
check "query without words" "2 velkaro: the query \"***\" holds no word to search for" "$? $err"

# Names an FTP client made: control characters reach no terminal, bytes that are not UTF-8 leave JSON valid.
printf 'pwned\n' > "$lib/esc"$'\x1b'"]0;pwned"$'\x07'"title.txt"
printf 'raw bytes\n' > "$lib/bad"$'\xff\xfe'".txt"
out=$(XDG_DATA_HOME=$data timeout 20 "$velkaro" datasheets search pwned --dir "$lib")
check "search prints control characters escaped" 'esc\x1b]0;pwned\x07title.txt:0: ' "${out:0:32}"
out=$(timeout 20 "$velkaro" datasheets --dir "$lib" | grep -c $'[\x07\x1b]')
check "the list prints control characters escaped" "0" "$out"
out=$(XDG_DATA_HOME=$data timeout 20 "$velkaro" datasheets search raw --dir "$lib" --json |
      python3 -c 'import json, sys; r = json.load(sys.stdin)["results"][0]; print(r["path"], r["path_bytes"])')
check "search --json: U+FFFD for bad bytes, the bytes beside" "bad��.txt 626164fffe2e747874" "$out"
rm -rf "$lib" "$data"

if ((failures)); then
    echo "$failures failed"
    exit 1
fi
echo "datasheets_cli: all passed"
