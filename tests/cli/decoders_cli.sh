#!/usr/bin/env bash
# The resistor, capacitor, values, smd and inductor subcommands: their result lines, the screens' error texts
# (standard error, exit 1), their usage errors (exit 2) and --json, errors included.
# Usage: decoders_cli.sh path/to/velkaro
set -u
velkaro=${1:?usage: decoders_cli.sh path/to/velkaro}
source "$(dirname "$0")/support/check.bash"
# expect STATUS STDOUT ARGS...; usage ARGS... (exit 2, stderr only); usage_names WORD ARGS... (stderr names WORD);
# fails STATUS STDERR ARGS... (nothing on standard output, exactly STDERR).
expect() { check "$@"; }
usage() { check 2 '' "$@"; }
usage_names() {
    local word=$1; shift; usage "$@"
    grep -qF -- "$word" "$err" || { echo "FAIL: velkaro $*: the message does not name $word"; failures=$((failures + 1)); }
}
fails() { local status=$1 stderr=$2; shift 2; checkAll "$status" '' "$stderr" "$@"; }

nl=$'\n'

# Resistor colour code: the screen's line for what its wheels hold, the same form for every other band set.
expect 0 "Resistance: 4.7 KOhm +-5%" resistor yellow violet red gold
expect 0 "Resistance: 4.7 KOhm +-5%" resistor --rows 3,7,0,2,2,0
expect 0 "Resistance: 4.7 KOhm +-5%" resistor Yellow VIOLET Red GOLD
expect 0 "Resistance: 1.00 KOhm +-1%, 100ppm" resistor brown black black brown brown brown
expect 0 "Resistance: 1.00 KOhm +-0.05%, 1ppm" resistor brown black black brown grey grey
expect 0 '{"value":4700.0,"unit":"ohm","tolerance_percent":5.0,"temperature_coefficient_ppm":null,"text":"Resistance: 4.7 KOhm +-5%"}' \
    resistor --json yellow violet red gold
usage_names "black, brown, red, orange, yellow, green, blue, violet, grey, white, gold, silver" resistor yellow violet pink gold
usage_names "brown, red, orange" resistor black violet red gold
usage_names "gold, silver, none" resistor yellow violet red orange
usage resistor yellow violet
usage resistor red red red red red red red
usage resistor --rows 0,0,0,8,0,0
usage resistor red red red --rows 0,0,0,0,0,0
fails 2 '{"error":"give 3, 4, 5 or 6 colour bands (got 2), or --rows r0,r1,r2,r3,r4,r5","status":2}' \
    resistor --json yellow violet

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
expect 0 "Selected capacitor: 106 ${nl}Capacitance:${nl}10000000 pF${nl}10000 nF${nl}10 uF" capacitor 106
expect 0 "Selected capacitor: 478 ${nl}Capacitance:${nl}0.47 pF${nl}0.00047 nF${nl}0.00000047 uF" capacitor 478
expect 0 '{"code":"474K","value":4.7e-07,"unit":"farad","tolerance":{"letter":"K","minus_percent":10.0,"plus_percent":10.0},"text":"Selected capacitor: 474K\nCapacitance:\n470000 pF\n470 nF\n0.47 uF\nTolerance: +/- 10%"}' \
    capacitor --json 474K
usage_names "1, 2, 3" capacitor 074
usage_names "0, 1, 2" capacitor 4x4
usage_names "(none), E, F" capacitor 474Q
usage capacitor 47
usage capacitor 4747K
usage capacitor
usage capacitor 474 --rows 0,0,0,0
usage capacitor --rows 0,0,7,0
usage capacitor --rows 0,0,0

# Standard values: the resistance read with the value reader; outside 1 ohm to 10 Mohm the screen's error text.
expect 0 "Nearest value: 12 or 13 KOhm" values 12345
expect 0 "Nearest value: 4.7 KOhm" values 4700
expect 0 "Nearest value: 4.7 KOhm" values 4k7
expect 0 "Nearest value: 47 Ohms" values " 47"
expect 0 "Nearest value: 3 or 10 Ohms" values 4.7
expect 0 "Nearest value: 1 MOhm" values 1M
expect 0 "Nearest value: 4.7 KOhm" --tablet values 4700
expect 0 '{"value":4700.0,"unit":"ohm","nearest":[4700],"text":"Nearest value: 4.7 KOhm"}' values --json 4700
expect 0 '{"value":12345.0,"unit":"ohm","nearest":[12000,13000],"text":"Nearest value: 12 or 13 KOhm"}' values 12345 --json
fails 1 "velkaro: incorrect value" values 10000001
fails 1 "velkaro: incorrect value" values 0
fails 1 '{"error":"incorrect value","status":1}' values --json 0.5
usage values -5
usage values -- -5
usage values ''
usage values abc
usage values 47k7k
usage values 10nF
usage values -- --help
usage values
usage values --
usage values 1 2

# SMD code: only markings are read; the screen's error texts go to standard error.
expect 0 "Results: 4.500 KOhm" smd 4501
expect 0 "Results: 4.7 Ohm" smd 4r7
expect 0 "Results: 97.6 MOhm" smd 96f
expect 0 "Results: 4.7 KOhm" smd 4K7
expect 0 "Results: 0 Ohm" smd 000
expect 0 '{"marking":"4K7","value":4700.0,"unit":"ohm","text":"Results: 4.7 KOhm"}' smd --json 4K7
fails 1 "velkaro: incorrect value" smd 97A
fails 1 "velkaro: value too big for SMD" smd 1007
fails 1 '{"error":"value too big for SMD","status":1}' smd 108 --json
usage_names "not an SMD marking" smd xyz
usage smd -12
usage smd ''
usage smd -R47
usage smd -- -R47
usage smd -- -h
usage smd
usage smd 472 4R7

# Inductor colour code.
expect 0 "Inductance: 10 uH +-20%" inductor brown black black none
expect 0 "Inductance: 470 uH +-10%" inductor Yellow VIOLET brown silver
expect 0 "Inductance: 4.7 mH +-5%" inductor yellow violet red gold
expect 0 "Inductance: 0.470 uH +-20%" inductor yellow violet silver none
expect 0 "Inductance: 0.470 uH +-20%" inductor --rows 3,7,6,0
expect 0 "Inductance: 47 mH +-20%" inductor yellow violet orange
expect 0 '{"value":0.0047,"unit":"henry","tolerance_percent":5.0,"temperature_coefficient_ppm":null,"text":"Inductance: 4.7 mH +-5%"}' \
    inductor yellow violet red gold --json
usage_names "black, brown, red, orange, yellow, green, blue, violet, grey, white, gold, silver" inductor red red pink none
usage_names "none, black" inductor red red red orange
usage inductor red red
usage inductor --rows 0,0,7,0
usage inductor red red red none --rows 0,0,0,0

# The codes people meet beyond the capacitor screen's wheels, both ways; identify with its option first.
expect 0 "106" capcode 10u
expect 0 "107K" capcode 100u --tolerance 10
expect 0 "478" capcode 0.47p
expect 0 '{"readings":[{"kind":"capacitor code","value":4.7e-07,"unit":"farad","tolerance_percent":10.0,"text":"470 nF ±10 %"},{"kind":"value","value":474000.0,"unit":null,"tolerance_percent":null,"text":"474 k"}]}' \
    identify --json 474K
expect 0 $'SMD code: 10 MΩ\ncapacitor code: 10 µF\nvalue: 106' identify 106
usage capcode 1m
usage identify 9999999999999
fails 2 "{\"error\":\"'9999999999999' is no marking this program reads: give colour bands, an SMD, capacitor or inductor code, or a value below 1000 G\",\"status\":2}" \
    identify --json 9999999999999

finish
