#!/usr/bin/env bash
# The capacitor, values, smd and inductor subcommands: their result lines, their usage errors (exit 2) and texts
# that are empty or begin with '-' reaching the field unchanged.
# Usage: decoders_cli.sh path/to/velkaro
set -u
velkaro=${1:?usage: decoders_cli.sh path/to/velkaro}
failures=0

# expect STATUS EXPECTED_STDOUT ARGS...: runs velkaro ARGS and compares the exit status and standard output.
expect() {
    local status=$1 expected=$2
    shift 2
    local out rc
    out=$(timeout 20 "$velkaro" "$@" 2>/tmp/decoders_cli.err.$$)
    rc=$?
    if [[ $rc != "$status" || $out != "$expected" ]]; then
        printf 'FAIL: velkaro %q' "$@"
        printf '\n  exit %s (want %s)\n  got:  %q\n  want: %q\n' "$rc" "$status" "$out" "$expected"
        failures=$((failures + 1))
    fi
}

# usage ARGS...: exit 2, nothing on standard output, a message on standard error.
usage() {
    local out rc
    out=$(timeout 20 "$velkaro" "$@" 2>/tmp/decoders_cli.err.$$)
    rc=$?
    if [[ $rc != 2 || -n $out || ! -s /tmp/decoders_cli.err.$$ ]]; then
        printf 'FAIL (want a usage error): velkaro %q' "$@"
        printf '\n  exit %s, stdout %q, stderr %q\n' "$rc" "$out" "$(cat /tmp/decoders_cli.err.$$)"
        failures=$((failures + 1))
    fi
}

# usage_names WORD ARGS...: a usage error whose message names WORD (one of the valid choices).
usage_names() {
    local word=$1
    shift
    usage "$@"
    if ! grep -q -- "$word" /tmp/decoders_cli.err.$$; then
        printf 'FAIL: the message for velkaro %q does not name %s: %s\n' "$*" "$word" "$(cat /tmp/decoders_cli.err.$$)"
        failures=$((failures + 1))
    fi
}

nl=$'\n'

# Capacitor: the fragment as text by default, exactly as loaded with --html.
expect 0 "Selected capacitor: 474K${nl}Capacitance:${nl}470000 pF${nl}470 nF${nl}0.47 uF${nl}Tolerance: +/- 10%" \
    capacitor 474K
expect 0 "Selected capacitor: 474K${nl}Capacitance:${nl}470000 pF${nl}470 nF${nl}0.47 uF${nl}Tolerance: +/- 10%" \
    capacitor 474k
expect 0 "Selected capacitor: 109 ${nl}Capacitance:${nl}1.0 pF${nl}0.001 nF${nl}0.000001 uF" capacitor 109
expect 0 "Selected capacitor: 220 ${nl}Capacitance:${nl}22 pF${nl}0.022 nF${nl}0.000022 uF" capacitor 220
expect 0 "Selected capacitor: <B>104P</B><BR/><B>Capacitance:</B><BR/>100000 pF<BR/>100 nF<BR/>0.1 uF<BR/><B>Tolerance:</B> +100%, -0%" \
    capacitor --html 104P
expect 0 "Selected capacitor: <B>479 </B><BR/><B>Capacitance:</B><BR/>4.7 pF<BR/>0.0047 nF<BR/>0.0000047 uF" \
    capacitor --rows 3,7,0,0 --html
usage_names "1, 2, 3" capacitor 074
usage_names "9, 0, 1" capacitor 476
usage_names "(none), E, F" capacitor 474Q
usage capacitor 47
usage capacitor 4747K
usage capacitor
usage capacitor 474 --rows 0,0,0,0
usage capacitor --rows 0,0,7,0
usage capacitor --rows 0,0,0

# Standard values: the text goes into the field as typed, also when empty or starting with '-'.
expect 0 "Nearest value: 12 or 13 KOhm" values 12345
expect 0 "Nearest value: 4.7 KOhm" values 4700
expect 0 "Nearest value: 47 Ohms" values " 47"
expect 0 "Nearest value: 3 or 10 Ohms" values 4.7
expect 0 "Nearest value: 1 MOhm" values 1000000
expect 0 "Incorrect value" values -5
expect 0 "Incorrect value" values -- -5
expect 0 "Incorrect value" values ''
expect 0 "Incorrect value" values -- ''
expect 0 "Incorrect value" values -x
expect 0 "Incorrect value" values -- --help
expect 0 "Incorrect value" values 10000001
expect 0 "Nearest value: 4.7 KOhm" --tablet values 4700
usage values
usage values --
usage values 1 2

# SMD code.
expect 0 "Results: 4.500 KOhm" smd 4501
expect 0 "Results: 4.7 Ohm" smd 4r7
expect 0 "Results: 97.6 MOhm" smd 96f
expect 0 "Result: incorrect value" smd 97A
expect 0 "Value too big for SMD" smd 1007
expect 0 "Results: invalid value" smd -12
expect 0 "Results: invalid value" smd ''
expect 0 "Results: -.47 Ohm" smd -R47
expect 0 "Results: -.47 Ohm" smd -- -R47
expect 0 "Results: invalid value" smd -- -h
usage smd
usage smd 472 4R7

# Inductor colour code.
expect 0 "Inductance: 10 uH +-20%" inductor brown black black none
expect 0 "Inductance: 470 uH +-10%" inductor Yellow VIOLET brown silver
expect 0 "Inductance: 4.7 mH +-5%" inductor yellow violet red gold
expect 0 "Inductance: 0.470 uH +-20%" inductor yellow violet silver none
expect 0 "Inductance: 0.470 uH +-20%" inductor --rows 3,7,6,0
usage_names "Black, Brown, Red, Orange, Yellow, Gold, Silver" inductor red red pink none
usage_names "none, Black, Gold, Silver" inductor red red red brown
usage inductor red red red
usage inductor --rows 0,0,7,0
usage inductor red red red none --rows 0,0,0,0

rm -f /tmp/decoders_cli.err.$$
if ((failures)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "decoders_cli: all passed"
