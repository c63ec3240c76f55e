#!/usr/bin/env bash
# The led, ne555, wires, drop and solar subcommands: their result lines in order, options that keep the opening
# texts when not given, field texts that are empty or begin with '-' reaching the field unchanged, and usage
# errors (exit 2, message on standard error, nothing on standard output).
# Usage: calculators_cli.sh path/to/velkaro
set -u
velkaro=${1:?usage: calculators_cli.sh path/to/velkaro}
failures=0
err=$(mktemp)
trap 'rm -f "$err"' EXIT

# expect EXPECTED_STDOUT ARGS...: runs velkaro ARGS; wants exit 0 and exactly these lines.
expect() {
    local expected=$1
    shift
    local out rc
    out=$(timeout 20 "$velkaro" "$@" 2>"$err"; echo "rc=$?")
    rc=${out##*rc=}
    out=${out%rc=*}
    if [[ $rc != 0 || $out != "$expected"$'\n' ]]; then
        printf 'FAIL: velkaro %q' "$@"
        printf '\n  exit %s\n  got:  %q\n  want: %q\n  stderr: %s\n' "$rc" "$out" "$expected"$'\n' "$(cat "$err")"
        failures=$((failures + 1))
    fi
}

# usage ARGS...: exit 2, nothing on standard output, a message on standard error.
usage() {
    local out rc
    out=$(timeout 20 "$velkaro" "$@" 2>"$err")
    rc=$?
    if [[ $rc != 2 || -n $out || ! -s $err ]]; then
        printf 'FAIL (want a usage error): velkaro %q' "$@"
        printf '\n  exit %s, stdout %q, stderr %q\n' "$rc" "$out" "$(cat "$err")"
        failures=$((failures + 1))
    fi
}

# --- led: m_cResults, m_cResults2 ---
expect $'R = 500 Ohm, P = 0.20 W\nRecommended: 510 Ohm, 0.25 W' led
expect $'R = 2999 Ohm, P = 0.00 W\nRecommended: 3.0 KOhm, 0.125 W' led --supply 5 --current 1
expect $'R = 10000 Ohm, P = 0.01 W\nRecommended: 10 KOhm, 0.125 W' led --current 1
expect $'R = 214999 Ohm, P = 0.22 W\nRecommended: 240 KOhm, 0.25 W' led --supply 217 --current 1
expect $'R = 997999 Ohm, P = 1.00 W\n' led --supply 1000 --current 1
expect $'R = 300 Ohm, P = 0.12 W\nRecommended: 330 Ohm, 0.125 W' led --count 2 --forward 3
expect $'Error: battery voltage is low\n' led --supply 5 --count 3
expect $'Error: battery voltage is low\n' led --supply -5
expect $'Error: battery voltage is low\n' led --supply ''
expect $'Error: battery voltage is low\n' led --supply=-12
expect $'Error: incorrect number of LEDs\n' led --count -2
expect $'Error: incorrect number of LEDs\n' led --count ''
expect $'Error: LED forward voltage cannot be null\n' led --forward 0.05
expect $'Error: incorrect LED current\n' led --current 0.5
# A text that looks like an option is still the field's text.
expect $'Error: LED forward voltage cannot be null\n' led --forward --count
usage led --supply
usage led --voltage 5
usage led 12
usage led --supply 5 --supply 6

# --- ne555: m_cResults1, m_cResults2_1, m_cResults2_2 ---
expect $'Results: T = 11.00 mS\nt1 = 13.86 ms, t2 = 6.93 ms\nf = 48.10 Hz' ne555
expect $'Results: T = 1.10 s\nt1 = 138.60 ms, t2 = 69.30 ms\nf = 4.81 Hz' ne555 --c1 100 --r1 10 --c2 100
expect $'Results: T = 11.00 mS\nt1 = 1.39 us, t2 = 0.69 us\nf = 481.00 KHz' ne555 --c2 0.001
expect $'Results: T = 11.00 mS\nError: value too small or incorrect\nf = n/a' ne555 --c2 0.00001
expect $'Results: T = 0.00 mS\nError: value too small or incorrect\nf = n/a' ne555 --c1 '' --rb ''
expect $'Results: T = -11.00 mS\nt1 = 0.00 us, t2 = 6930.00 us\nf = 144.30 Hz' ne555 --r1 -1 --ra -1
usage ne555 --c3 1

# --- drop: m_cResult1, m_cResult2, m_cResult3 ---
expect $'Resistance, Ohm/m: 0.0210\nVoltage drop (copper): 2.10V\nVoltage drop (alum.): 3.24V' drop
expect $'Resistance, Ohm/m: 0.000161\nVoltage drop (copper): 0.32V\nVoltage drop (alum.): 0.50V' \
    drop --awg 0000 --current 100 --length 10
expect $'Resistance, Ohm/m: 3.44\nVoltage drop (copper): 0.69V\nVoltage drop (alum.): 1.06V' \
    drop --awg 40 --current 0.1 --length 1
expect $'Resistance, Ohm/m: 0.0210\nVoltage drop (copper): -2.10V\nVoltage drop (alum.): -3.24V' drop --current -5
expect $'Incorrect input\n\n' drop --awg ''
expect $'Incorrect input\n\n' drop --awg '18 '
expect $'Incorrect input\n\n' drop --awg 4/0
expect $'Incorrect input\n\n' drop --awg -1
usage drop --awg

# --- solar: m_cResult1 to m_cResult6, then the rows ---
expect $'0.0 Wh\n0.0 Ah\n0.0 Ah\n0.0 Ah\n--\n--' solar
expect $'36.0 Wh\n3.6 Ah\n7.2 Ah\n0.7 Ah\n1\n13.4 W\nLED lamp, 4.0h, 36.0Wh' solar --load 'LED lamp:9:4.0'
expect $'1296.0 Wh\n129.6 Ah\n259.2 Ah\n25.9 Ah\n12\n13.4 W\nLED lamp, 4.0h, 36.0Wh\nTV, 5.0h, 300.0Wh\nFridge, 8.0h, 960.0Wh' \
    solar --load 'LED lamp:9:4' --load TV:60:5 --load Fridge:120:8
expect $'36.0 Wh\n--\n--\n0.0 Ah\n--\n--\nLED lamp, 4.0h, 36.0Wh' solar --load 'LED lamp:9:4' --voltage -12
expect $'36.0 Wh\n3.6 Ah\n7.2 Ah\n0.7 Ah\n--\n--\nLED lamp, 4.0h, 36.0Wh' solar --load 'LED lamp:9:4' --sun 24
expect $'36.0 Wh\n3.6 Ah\n7.2 Ah\n0.7 Ah\n--\n--\nLED lamp, 4.0h, 36.0Wh' solar --load 'LED lamp:9:4' --panel ''
# Power and hours are the last two fields; a name may hold ':' and may be empty; texts may begin with '-'.
expect $'-6.0 Wh\n-0.6 Ah\n-1.2 Ah\n-0.1 Ah\n--\n--\nfan, 2.0h, -6.0Wh' solar --load 'fan:-3:2'
expect $'2.0 Wh\n0.2 Ah\n0.4 Ah\n0.0 Ah\n1\n13.4 W\nnote: 12:00, 1.0h, 2.0Wh' solar --load 'note: 12:00:2:1'
expect $'0.0 Wh\n0.0 Ah\n0.0 Ah\n0.0 Ah\n--\n--\n, 0.0h, 0.0Wh' solar --load ::
usage solar --load fan
usage solar --load fan:3
usage solar --load
usage solar --load 'LED lamp:9:4' --voltage

# --- wires: the load table as text ---
out=$(timeout 20 "$velkaro" wires 2>"$err")
rc=$?
if [[ $rc != 0 ]]; then
    echo "FAIL: velkaro wires exits $rc: $(cat "$err")"
    failures=$((failures + 1))
fi
rows=$(grep -cE '^ *(0000|000|00|0|[1-9]|[1-3][0-9]|40) +[0-9.]+ +[0-9.]+ +[0-9.]+ +[0-9.]+ +[0-9.]+$' <<<"$out")
if [[ $rows != 44 ]]; then
    echo "FAIL: velkaro wires shows $rows gauge rows, want 44"
    failures=$((failures + 1))
fi
for want in '^ AWG +Ø mm +Area mm² +Ohm per km +Chassis A +Transm. A$' '^0000 +11.68 +107.2 +0.1608 +380 +302$' \
    '^  18 +1.024 +0.8230 +20.95 +16 +2.32$' '^  40 +0.07987 +0.005010 +3441 +0.092 +0.0141$' 'Source' 'ASTM B258'; do
    if ! grep -qE -- "$want" <<<"$out"; then
        echo "FAIL: velkaro wires lacks a line matching $want"
        failures=$((failures + 1))
    fi
done
if grep -q '[<>]' <<<"$out"; then
    echo "FAIL: velkaro wires prints markup: $(grep '[<>]' <<<"$out" | head -3)"
    failures=$((failures + 1))
fi
usage wires extra

if ((failures)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "calculators CLI: all passed"
