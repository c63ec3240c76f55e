#!/usr/bin/env bash
# The led, ne555, wires, drop and solar subcommands over valid and invalid input: each row is the exit status,
# standard output, standard error (a glob) and the arguments. Numbers are read whole in the option's unit (a
# bare number in the screen field's unit, prefixes and units honoured); anything else is a usage error naming the
# option (exit 2); a tool's own error text goes to standard error with exit 1; --json errors are JSON objects.
# Usage: calculators_cli.sh path/to/velkaro
set -u
velkaro=${1:?usage: calculators_cli.sh path/to/velkaro}
source "$(dirname "$0")/support/check.bash"

# --- led: R and P, then the recommended part ---
checkAll 0 $'R = 500 Ohm, P = 0.20 W\nRecommended: 510 Ohm, 0.25 W' '' led
checkAll 0 $'R = 500 Ohm, P = 0.20 W\nRecommended: 510 Ohm, 0.25 W' '' led --supply 12V --current 0.02A --forward 2000mV
checkAll 0 $'R = 500 Ohm, P = 0.20 W\nRecommended: 510 Ohm, 0.25 W' '' led --supply ' 12 ' --current 20mA
checkAll 0 $'R = 2999 Ohm, P = 0.00 W\nRecommended: 3.0 KOhm, 0.125 W' '' led --supply 5 --current 1
checkAll 0 $'R = 10000 Ohm, P = 0.01 W\nRecommended: 10 KOhm, 0.125 W' '' led --current 1
checkAll 0 $'R = 214999 Ohm, P = 0.22 W\nRecommended: 240 KOhm, 0.25 W' '' led --supply 217 --current 1
checkAll 0 $'R = 997999 Ohm, P = 1.00 W' '' led --supply 1000 --current 1
checkAll 0 $'R = 300 Ohm, P = 0.12 W\nRecommended: 330 Ohm, 0.125 W' '' led --count 2 --forward 3
checkAll 0 $'R = 300 Ohm, P = 0.12 W\nRecommended: 330 Ohm, 0.125 W' '' led --count 2 --forward 3,0
checkAll 1 '' 'velkaro: battery voltage is low' led --supply 5 --count 3
checkAll 1 '' 'velkaro: battery voltage is low' led --supply 0
checkAll 1 '' 'velkaro: incorrect number of LEDs' led --count 0
checkAll 1 '' 'velkaro: LED forward voltage cannot be null' led --forward 0.05
checkAll 1 '' 'velkaro: incorrect LED current' led --current 0.5
checkAll 1 '' 'velkaro: incorrect LED current' led --current 500uA
checkAll 2 '' "velkaro: --supply: 'abc' is not a value in volts*" led --supply abc
checkAll 2 '' "velkaro: --supply: '-5' is not a value in volts*" led --supply -5
checkAll 2 '' "velkaro: --supply: '' is not a value in volts*" led --supply ''
checkAll 2 '' "velkaro: --supply: '12 V 3' *" led --supply '12 V 3'
checkAll 2 '' "velkaro: --count: '2.5' is not a whole number*" led --count 2.5
checkAll 2 '' "velkaro: --count: '1k' is not a whole number*" led --count 1k
checkAll 2 '' "velkaro: --current: '5V' is in volts: give amperes" led --current 5V
checkAll 2 '' "velkaro: --forward: '--count' *" led --forward --count
checkAll 2 '' '*--supply*' led --supply
checkAll 2 '' '*--voltage*' led --voltage 5
checkAll 2 '' '*12*' led 12
checkAll 2 '' '*--supply*' led --supply 5 --supply 6
checkAll 0 '{"supply_v":12.0,"count":3,"forward_v":2.1,"current_ma":20.0,"resistance_ohm":285,"power_w":0.114,"recommended_ohm":330,"rating_w":0.125}' '' \
    led --count 3 --forward 2.1 --json
checkAll 0 '{"supply_v":1000.0,"count":1,"forward_v":2.0,"current_ma":1.0,"resistance_ohm":997999,"power_w":0.998,"recommended_ohm":null,"rating_w":null}' '' \
    led --supply 1000 --current 1 --json
checkAll 1 '' '{"error":"incorrect LED current","status":1}' led --current 0.5 --json
checkAll 2 '' "{\"error\":\"--supply: 'abc' is not a value in volts*\",\"status\":2}" led --json --supply abc

# --- ne555: the monostable pulse, the astable times, the astable frequency ---
checkAll 0 $'Results: T = 11.00 mS\nt1 = 13.86 ms, t2 = 6.93 ms\nf = 48.10 Hz' '' ne555
checkAll 0 $'Results: T = 1.10 s\nt1 = 138.60 ms, t2 = 69.30 ms\nf = 4.81 Hz' '' ne555 --c1 100 --r1 10 --c2 100
checkAll 0 $'Results: T = 11.00 mS\nt1 = 1.39 us, t2 = 0.69 us\nf = 481.00 KHz' '' ne555 --c2 0.001
checkAll 0 $'Results: T = 11.00 mS\nt1 = 1.39 us, t2 = 0.69 us\nf = 481.00 KHz' '' ne555 --c2 1nF
checkAll 0 $'Results: T = 11.00 mS\nt1 = 13.86 us, t2 = 6.93 us\nf = 48.10 KHz' '' ne555 --c2 10nF
checkAll 0 $'Results: T = 11.00 mS\nt1 = 13.86 us, t2 = 6.93 us\nf = 48.10 KHz' '' ne555 --c2 10n
checkAll 0 $'Results: T = 51.70 mS\nt1 = 13.86 ms, t2 = 6.93 ms\nf = 48.10 Hz' '' ne555 --r1 4k7
checkAll 0 $'Results: T = 51.70 mS\nt1 = 13.86 ms, t2 = 6.93 ms\nf = 48.10 Hz' '' ne555 --r1 4700ohm
checkAll 0 $'Results: T = 0.00 mS\nt1 = 10.19 ms, t2 = 3.26 ms\nf = 74.38 Hz' '' ne555 --c1 0 --rb 470R
checkAll 1 'Results: T = 11.00 mS' 'velkaro: value too small or incorrect (astable)' ne555 --c2 1p
checkAll 1 'Results: T = 11.00 mS' 'velkaro: value too small or incorrect (astable)' ne555 --ra 0.5R
checkAll 2 '' "velkaro: --c1: 'abc' is not a value in microfarads*" ne555 --c1 abc
checkAll 2 '' "velkaro: --c1: '' is not a value in microfarads*" ne555 --c1 ''
checkAll 2 '' "velkaro: --r1: '-1' is not a value in kilo-ohms*" ne555 --r1 -1
checkAll 2 '' "velkaro: --c2: '10V' is in volts: give farads" ne555 --c2 10V
checkAll 2 '' "velkaro: --rb: '1e3' *" ne555 --rb 1e3
checkAll 2 '' '*--c3*' ne555 --c3 1
checkAll 0 '{"monostable":{"c_uf":10.0,"r_kohm":1.0,"pulse_ms":11.0},"astable":{"c_uf":0.01,"ra_kohm":1.0,"rb_kohm":1.0,"t1_ms":0.013859999,"t2_ms":0.0069299997,"frequency_hz":48100.05}}' '' \
    ne555 --c2 10nF --json
checkAll 1 '{"monostable":{"c_uf":10.0,"r_kohm":1.0,"pulse_ms":11.0},"astable":null}' \
    '{"error":"value too small or incorrect (astable)","status":1}' ne555 --c2 1p --json

# --- drop: resistance per metre, copper drop, aluminium drop ---
checkAll 0 $'Resistance, Ohm/m: 0.0210\nVoltage drop (copper): 2.10V\nVoltage drop (alum.): 3.24V' '' drop
checkAll 0 $'Resistance, Ohm/m: 0.000161\nVoltage drop (copper): 0.32V\nVoltage drop (alum.): 0.50V' '' \
    drop --awg 0000 --current 100 --length 10
checkAll 0 $'Resistance, Ohm/m: 3.44\nVoltage drop (copper): 0.69V\nVoltage drop (alum.): 1.06V' '' \
    drop --awg 40 --current 100mA --length 1
checkAll 0 $'Resistance, Ohm/m: 0.0210\nVoltage drop (copper): 0.00V\nVoltage drop (alum.): 0.00V' '' drop --current 0
checkAll 2 '' "velkaro: --awg: '' is not a gauge*" drop --awg ''
checkAll 2 '' "velkaro: --awg: '18 ' is not a gauge*" drop --awg '18 '
checkAll 2 '' "velkaro: --awg: '4/0' is not a gauge*" drop --awg 4/0
checkAll 2 '' "velkaro: --awg: '-1' is not a gauge*" drop --awg -1
checkAll 2 '' "velkaro: --current: 'abc' is not a value in amperes*" drop --current abc
checkAll 2 '' "velkaro: --current: '-5' is not a value in amperes*" drop --current -5
checkAll 2 '' "velkaro: --length: '10m' is not a value in metres*" drop --length 10m
checkAll 2 '' '*--awg*' drop --awg
checkAll 0 '{"awg":"14","current_a":10.0,"length_m":25.0,"ohm_per_m":0.00829,"copper_v":4.145,"aluminium_v":6.395143}' '' \
    drop --awg 14 --current 10 --length 25 --json
checkAll 2 '' "{\"error\":\"--awg: '99' is not a gauge*\",\"status\":2}" drop --awg 99 --json

# --- solar: the six results, then the loads ---
checkAll 0 $'0.0 Wh\n0.0 Ah\n0.0 Ah\n0.0 Ah\n--\n--' '' solar
checkAll 0 $'36.0 Wh\n3.6 Ah\n7.2 Ah\n0.7 Ah\n1\n13.4 W\nLED lamp, 4.0h, 36.0Wh' '' solar --load 'LED lamp:9:4.0'
checkAll 0 $'1296.0 Wh\n129.6 Ah\n259.2 Ah\n25.9 Ah\n12\n13.4 W\nLED lamp, 4.0h, 36.0Wh\nTV, 5.0h, 300.0Wh\nFridge, 8.0h, 960.0Wh' '' \
    solar --load 'LED lamp:9:4' --load TV:60W:5 --load Fridge:0.12kW:8
checkAll 0 $'36.0 Wh\n--\n--\n0.0 Ah\n--\n--\nLED lamp, 4.0h, 36.0Wh' '' solar --load 'LED lamp:9:4' --voltage 0
checkAll 0 $'36.0 Wh\n3.6 Ah\n7.2 Ah\n0.7 Ah\n--\n--\nLED lamp, 4.0h, 36.0Wh' '' solar --load 'LED lamp:9:4' --sun 24
checkAll 0 $'36.0 Wh\n3.6 Ah\n7.2 Ah\n0.7 Ah\n--\n--\nLED lamp, 4.0h, 36.0Wh' '' solar --load 'LED lamp:9:4' --panel 0
# Power and hours are the last two fields; a name may hold ':' and may be empty.
checkAll 0 $'2.0 Wh\n0.2 Ah\n0.4 Ah\n0.0 Ah\n1\n13.4 W\nnote: 12:00, 1.0h, 2.0Wh' '' solar --load 'note: 12:00:2:1'
checkAll 0 $'24.0 Wh\n2.4 Ah\n4.8 Ah\n0.5 Ah\n1\n13.4 W\n, 24.0h, 24.0Wh' '' solar --load :1:24
checkAll 2 '' "velkaro: --load POWER: '-3' is not a value in watts*" solar --load 'fan:-3:2'
checkAll 2 '' "velkaro: --load HOURS: '25' hours is more than a day holds*" solar --load 'a:1:25'
checkAll 2 '' "velkaro: --load POWER: '' *" solar --load ::
checkAll 2 '' "velkaro: --load HOURS: '4h' *" solar --load 'lamp:9:4h'
checkAll 2 '' "velkaro: --voltage: '-12' is not a value in volts*" solar --voltage -12
checkAll 2 '' "velkaro: --sun: '25' hours is more than a day holds*" solar --sun 25
checkAll 2 '' "velkaro: --panel: '' is not a value in watts*" solar --panel ''
checkAll 2 '' "velkaro: --panel: '5V' is in volts: give watts" solar --panel 5V
checkAll 2 '' '*NAME:POWER:HOURS*' solar --load fan
checkAll 2 '' '*NAME:POWER:HOURS*' solar --load fan:3
checkAll 2 '' '*--load*' solar --load
checkAll 2 '' '*--voltage*' solar --load 'LED lamp:9:4' --voltage
checkAll 0 '{"voltage_v":12.0,"sun_hours":5.0,"panel_w":100.0,"loads":[{"name":"LED lamp","power_w":9.0,"hours":4.0,"energy_wh":36.0}],"energy_wh":36.0,"capacity_ah":3.6,"double_capacity_ah":7.2,"reserve_ah":0.71999997,"panels":1,"panel_average_w":13.440861}' '' \
    solar --load 'LED lamp:9:4' --json
checkAll 0 '{"voltage_v":0.0,"sun_hours":5.0,"panel_w":100.0,"loads":[],"energy_wh":0.0,"capacity_ah":null,"double_capacity_ah":null,"reserve_ah":0.0,"panels":null,"panel_average_w":null}' '' \
    solar --voltage 0 --json

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
checkAll 2 '' '*extra*' wires extra
json=$(timeout 20 "$velkaro" wires --json 2>"$err")
python3 - "$json" <<'PY' || { echo "FAIL: velkaro wires --json: $json"; failures=$((failures + 1)); }
import json, sys
t = json.loads(sys.argv[1])
assert t["columns"] == ["AWG", "Ø mm", "Area mm²", "Ohm per km", "Chassis A", "Transm. A"], t["columns"]
assert len(t["rows"]) == 44 and t["rows"][0] == ["0000", 11.68, 107.2, 0.1608, 380, 302], t["rows"][0]
assert t["rows"][-1][0] == "40" and all(len(r) == 6 for r in t["rows"])
PY

finish
