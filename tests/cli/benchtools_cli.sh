#!/usr/bin/env bash
# The bench-tool subcommands: one --json object each, a text line, and usage errors (exit 2, stderr only).
# Usage: benchtools_cli.sh path/to/velkaro
set -u
velkaro=${1:?usage: benchtools_cli.sh path/to/velkaro}
source "$(dirname "$0")/support/check.bash"

check 0 '{"series":"E96","value":5.14,"unit":"ohm","below":5.11,"above":5.23,"nearest":5.11,"error_percent":-0.5836575875486257}' \
    eseries 5.14 --series e96 --json
check 0 '{"series":"E24","value":5e-14,"unit":"farad","below":null,"above":1e-13,"nearest":1e-13,"error_percent":100.0}' \
    eseries 0.05pF --json
check 0 '{"value":4700.0,"inductor":false,"band_count":4,"tolerance_percent":null,"tcr_ppm":null,"bands":["yellow","violet","red","gold"]}' bands 4k7 --json
check 0 '{"value":4750.0,"inductor":false,"band_count":6,"tolerance_percent":0.05,"tcr_ppm":15,"bands":["yellow","violet","green","brown","grey","orange"]}' \
    bands 4.75k --bands 6 --tolerance 0.05 --tcr 15 --json
check 0 '{"value":4.7e-06,"inductor":true,"band_count":4,"tolerance_percent":10.0,"tcr_ppm":null,"bands":["yellow","violet","gold","silver"]}' bands 4u7 --inductor --tolerance 10% --json
check 0 '{"value":4750.0,"three_digit":null,"four_digit":"4751","eia96":"66B"}' smdcode 4.75k --json
check 0 '{"value":1e-07,"code":"104K"}' capcode 100n --tolerance k --json
check 0 '{"vin":12.0,"wanted_vout":3.3,"series":"E24","load":null,"min_total":20000.0,"max_total":30000.0,"r1":18000.0,"r2":6800.0,"vout":3.2903225806451615,"error_percent":-0.29325513196479835,"alternatives":[{"r1":20000.0,"r2":7500.0,"vout":3.272727272727273,"error_percent":-0.8264462809917241},{"r1":15000.0,"r2":5600.0,"vout":3.262135922330097,"error_percent":-1.1473962930273591},{"r1":16000.0,"r2":6200.0,"vout":3.3513513513513513,"error_percent":1.5561015561015605},{"r1":16000.0,"r2":5600.0,"vout":3.111111111111111,"error_percent":-5.723905723905717}]}' \
    divider --vin 12V --vout 3.3 --max-total 30k --min-total 20k --json
check 0 '{"single":{"values":[4.7],"arrangement":"R1","result":4.7,"error_percent":-8.560311284046684},"series":{"values":[0.47,4.7],"arrangement":"R1 + R2","result":5.17,"error_percent":0.5836575875486429},"parallel":{"values":[5.6,68.0],"arrangement":"R1 || R2","result":5.173913043478261,"error_percent":0.6597868380984645},"three":{"values":[3.9,0.56,0.68],"arrangement":"R1 + R2 + R3","result":5.14,"error_percent":0.0}}' \
    combine 5.14 --series E12 --json
check 0 '{"wanted_vout":5.0,"r1":240.0,"vref":1.25,"iadj":5e-05,"series":"E24","r2_exact":713.1537242472267,"r2":680.0,"vout":4.825666666666667,"error_percent":-3.486666666666664}' \
    regulator --vout 5 --json
check 0 '{"readings":[{"kind":"resistor bands","value":4700.0,"unit":"ohm","tolerance_percent":5.0,"text":"4.7 kΩ ±5 %"},{"kind":"inductor bands","value":0.0047,"unit":"henry","tolerance_percent":5.0,"text":"4.7 mH ±5 %"}]}' \
    identify Yellow violet RED gold --json
check 0 $'capacitor code: 470 nF ±10 %\nvalue: 474 k' identify 474K
check 0 'EIA-96 code: 10 kΩ' identify 01c
check 0 'yellow violet red gold' bands 4k7

check 2 '' eseries 4x7
check 2 '' eseries -5
check 2 '' eseries 0
check 2 '' eseries 5 --series E7
check 2 '' bands 4.75k
check 2 '' bands 100nF
check 2 '' bands 4k7 --tcr 100
check 2 '' capcode 1n --tolerance Q
check 2 '' divider --vin 5 --vout 6
# The alternatives are the next-best ratios over the whole range, not the nearest R2 for each R1.
check 0 $'Best: R1 5.1 kΩ, R2 5.1 kΩ: 2.5 V (0 %)\nAlternative: R1 16 kΩ, R2 15 kΩ: 2.4194 V (-3.23 %)\nAlternative: R1 15 kΩ, R2 16 kΩ: 2.5806 V (+3.23 %)\nAlternative: R1 3.6 kΩ, R2 3.9 kΩ: 2.6 V (+4 %)\nAlternative: R1 3.9 kΩ, R2 3.6 kΩ: 2.4 V (-4 %)' \
    divider --vin 5 --vout 2.5
checkAll 2 '' "velkaro: --vin: 'abc' is not a value*" divider --vin abc --vout 1
checkAll 2 '' "velkaro: --max-total: '1MF' is in farads: give ohms" divider --vin 5 --vout 1 --max-total 1MF
checkAll 2 '' "velkaro: --iadj: '5V' is in volts: give amperes" regulator --vout 5 --iadj 5V
checkAll 2 '' '{"error":"Vout must lie between 0 V and Vin (5 V)","status":2}' divider --vin 5 --vout 6 --json
check 2 '' regulator --vout 1
check 2 '' identify hello
check 2 '' smdcode 4.7531k

finish
