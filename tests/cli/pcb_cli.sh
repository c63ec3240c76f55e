#!/usr/bin/env bash
# The board and RF subcommands: values read with their units, one --json object in base SI units each way, text
# lines, and usage errors naming the option (exit 2, stderr only).
# Usage: pcb_cli.sh path/to/velkaro
set -u
velkaro=${1:?usage: pcb_cli.sh path/to/velkaro}
source "$(dirname "$0")/support/check.bash"

# regulator: R1 from R2, Vout from both, the standard type, the spread over the tolerance
check 0 'R1 exact: 242.33 Ω
R1: 240 Ω
Vout: 5.036 V (+0.72 %)' regulator --vout 5 --r2 720
check 0 'Vout: 5.036 V
Vout range: 4.9614 V to 5.1121 V' regulator --r1 240 --r2 720 --tolerance 1%
check 0 'R2 exact: 713.15 Ω
R2: 680 Ω
Vout: 4.8257 V (-3.49 %)' regulator --vout 5
check 2 '' regulator --vout 5 --r2 720 --r1 240
check 2 '' regulator --r1 240
check 2 '' regulator --type standard --iadj 50u --vout 5
check 2 '' regulator --vout 5 --tolerance 100

# each subcommand's object in base SI units, both ways where it has two
check 0 '{"voltage":600.0,"class":"B1","spacing":0.0005}' spacing --voltage 600 --class b1 --json
check 0 '{"z0":50.16596085560405,"er_eff":3.3008045853483248,"delay":6.060231354420271e-09}' \
    impedance microstrip --width 3mm --json
check 0 '{"inner":0.0004518103060539335,"z0":74.99999999999856,"er_eff":2.25,"delay":5.0034614279722804e-09}' \
    impedance coax --outer 2.95mm --z0 75 --json
check 0 '{"area":8.699500000000001e-09,"current":2.511714716120111,"time":1.0}' fusing --width 0.25mm --copper-oz 1 --time 1 --json
check 0 '{"wavelength":0.45695848101616626,"half":0.22847924050808313,"quarter":0.11423962025404157,"period":2.3094688221709008e-09}' \
    wavelength --frequency 433MHz --velocity-factor 0.66 --json
check 0 '{"anode":"silver","cathode":"gold","difference":0.15,"harsh":true,"normal":true,"controlled":true}' galvanic gold silver --json
check 0 'Width: 786 µm (30.94 mil)
Current: 2 A
Cross-section: 0.02735 mm²
Resistance: 33.38 mΩ
Voltage drop: 66.75 mV
Power loss: 133.5 mW' trackwidth --current 2 --rise 10 --copper-oz 1 --length 50mm
check 0 'Cross-section: 2.081 mm² (nearest AWG 14, metric 2.5 mm²)
Loop resistance: 165.7 mΩ
Voltage drop: 828.5 mV
Power loss: 4.143 W
Current density: 2.403 A/mm²
Smallest AWG: 11
Smallest metric: 4 mm²' cable --awg 14 --length 10 --current 5 --max-drop 0.5
check 0 'Exact: R1 96.25 Ω, R2 71.15 Ω, R3 96.25 Ω
Nearest (E24): R1 100 Ω, R2 68 Ω, R3 100 Ω
Attenuation: 9.629 dB
Input: 50.33 Ω (return loss 49.63 dB)
Output: 50.33 Ω' attenuator pi --db 10

check 2 '' trackwidth --current 2 --width 1mm
check 2 '' trackwidth
check 2 '' trackwidth --current 2 --thickness 35V
check 2 '' via --clearance 0.5mm
check 2 '' spacing --voltage 100 --class C3
check 2 '' spacing
check 2 '' impedance microstrip --width 3mm --z0 50
check 2 '' impedance microstrip --z0 5k
check 2 '' impedance coax --outer 1mm --inner 2mm
check 2 '' impedance coupled-microstrip --z0 50 --gap 0.2mm
check 2 '' impedance waveguide --width 1mm
check 2 '' attenuator pi --db 3 --zin 75 --zout 50
check 2 '' attenuator splitter --db 6
check 2 '' attenuator bridged-t --db 10 --zin 75
check 2 '' fusing --width 1mm --time 1 --current 10
check 2 '' fusing --area 1 --width 1mm --time 1
check 2 '' cable --awg 41 --length 1
check 2 '' cable --awg 12 --area 2.5 --length 1
check 2 '' wavelength --frequency 0
check 2 '' wavelength --frequency 100MHz --velocity-factor 1.5
check 2 '' galvanic copper unobtainium
checkAll 2 '' "velkaro: --width: '3V' is in volts: give metres" impedance microstrip --width 3V
checkAll 2 '' "velkaro: --frequency: '5mm' is not a value*" wavelength --frequency 5mm

finish
