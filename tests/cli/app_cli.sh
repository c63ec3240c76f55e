#!/usr/bin/env bash
# The program's own command line: the resistor subcommand, --help/--version, usage errors and the message given
# when there is no display.
set -u
velkaro=${1:?usage: app_cli.sh path/to/velkaro}
source "$(dirname "$0")/support/check.bash"

usage() {  # usage WORD ARGS...: exit 2, nothing on stdout, stderr naming WORD
  local word=$1
  shift
  check 2 "" "$@"
  grep -qi -- "$word" "$err" || { printf 'FAIL: velkaro %q: stderr does not name %s: %s\n' "$*" "$word" "$(cat "$err")"; failures=$((failures + 1)); }
}

check 0 "Resistance: 4.7 KOhm +-5%" resistor --rows 3,7,0,2,2,0
check 0 "Resistance: 4.7 KOhm +-5%" resistor yellow violet red gold
check 0 "Resistance: 4.7 KOhm +-5%" resistor YELLOW Violet RED gOLD
check 0 "Resistance: 10 Ohm +-20%" resistor brown black black
check 0 "Resistance: 1.00 KOhm +-1%, 100ppm" resistor brown black black brown brown brown
check 0 "Resistance: 330 KOhm +-20%" resistor orange orange yellow none
check 0 "Resistance: 3.30 MOhm +-20%" resistor orange orange black yellow none
check 0 "Resistance: 9990 MOhm +-20%" resistor --rows 8,9,10,7,0,0
usage "Violet" resistor yellow violet pink gold
usage "Gold" resistor yellow violet red purple
usage "3, 4, 5 or 6" resistor yellow violet
usage "3, 4, 5 or 6" resistor a b c d e f g
usage "row" resistor --rows 3,7,0,2,2
usage "row" resistor --rows 3,7,0,2,2,x
usage "does not exist" resistor --rows 9,0,0,0,0,0
usage "either" resistor --rows 0,0,0,0,0,0 brown black black
checkAll 2 '' "velkaro: unknown subcommand 'nosuchcommand'; the subcommands are resistor, capacitor, *, web (see velkaro --help)" \
  nosuchcommand
checkAll 2 '' "velkaro: unknown subcommand 'Resistor'; *" Resistor yellow violet red gold
checkAll 2 '' '{"error":"unknown subcommand '"'nosuchcommand'"'; the subcommands are resistor, *","status":2}' \
  nosuchcommand --json
checkAll 2 '' '{"error":"The following argument was not expected: --nosuch","status":2}' led --json --nosuch

out=$("$velkaro" --help 2>&1); rc=$?
# The screenshot maker is the project's own tool, not the user's.
[[ $rc == 0 && $out == *resistor* && $out != *screenshot* ]] || { echo "FAIL: --help (exit $rc): $out"; failures=$((failures + 1)); }
out=$("$velkaro" --version 2>&1); rc=$?
[[ $rc == 0 && $out == "velkaro "* ]] || { echo "FAIL: --version: $out"; failures=$((failures + 1)); }

# Without any display the window cannot open: a clear message naming every tool --help lists, never a crash.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$velkaro" 2>&1); rc=$?
[[ $rc == 1 && $out == *"no display"* ]] || { echo "FAIL: no display: exit $rc: $out"; failures=$((failures + 1)); }
tools=$("$velkaro" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }')
[[ $(wc -l <<<"$tools") -ge 21 ]] || { echo "FAIL: --help lists too few subcommands: $tools"; failures=$((failures + 1)); }
for tool in $tools; do
  [[ $out == *" $tool,"* || $out == *" $tool."* ]] || { echo "FAIL: no display: $tool not named: $out"; failures=$((failures + 1)); }
done

# The servers' first line, as each starts on a free port on the loopback address with an empty folder.
firstLine() {
  local served line
  served=$(mktemp -d)
  coproc SERVER { exec timeout 20 "$velkaro" "$@" --bind 127.0.0.1 --port 0 --no-announce --dir "$served" 2>/dev/null; }
  read -r -t 10 line <&"${SERVER[0]}"
  kill "$SERVER_PID" 2>/dev/null; wait "$SERVER_PID" 2>/dev/null
  rm -rf "$served"
  echo "${line-}"
}
# Bound to one address, the FTP server gives that address to connect to, not another interface's.
while read -r pattern args; do
  # shellcheck disable=SC2086 # the row's arguments are words
  line=$(firstLine $args)
  [[ $line =~ $pattern ]] || { echo "FAIL: velkaro $args --bind 127.0.0.1 prints '$line'"; failures=$((failures + 1)); }
done <<'ROWS'
^ftp://127\.0\.0\.1:[0-9]+$ ftp
^\{"url":"ftp://127\.0\.0\.1:[0-9]+","port":[0-9]+,"dir":"/[^"]+","total_mib":[0-9]+,"free_mib":[0-9]+,"tls":null,"web_url":null\}$ ftp --json
^http://127\.0\.0\.1:[0-9]+/\?k=[0-9a-f]+$ web
^\{"url":"http://127\.0\.0\.1:[0-9]+/\?k=[0-9a-f]+","port":[0-9]+,"dir":"/[^"]+"\}$ web --json
ROWS

# The command line links no Qt; the window program beside it draws, here for the project's screenshot maker.
ldd "$velkaro" | grep -q libQt && { echo "FAIL: velkaro links Qt"; failures=$((failures + 1)); }
png=$(mktemp --suffix=.png)
QT_QPA_PLATFORM=offscreen timeout 60 "$velkaro" screenshot "$png" --action onShowLed 2>"$err" && [[ -s $png ]] \
  || { echo "FAIL: screenshot through the window program: $(cat "$err")"; failures=$((failures + 1)); }
rm -f "$png"

finish
