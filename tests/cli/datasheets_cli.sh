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

if ((failures)); then
    echo "$failures failed"
    exit 1
fi
echo "datasheets_cli: all passed"
