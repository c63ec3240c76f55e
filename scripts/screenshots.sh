#!/usr/bin/env bash
# Renders the README's screenshots without a display: scripts/screenshots.sh [build/velkaro] [docs/screenshots]
# Each line below opens a screen from the menu and sets it up as a user would before the picture is taken; every
# screen is taken in the light palette (NAME.png) and the dark one (NAME-dark.png).
set -euo pipefail
velkaro=${1:-build/velkaro}
out=${2:-docs/screenshots}
mkdir -p "$out"
# A scratch profile, so the pictures never touch (or depend on) the user's preferences and documents.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/run"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

shot() {
  local name=$1
  shift
  for scheme in light dark; do
    local file="$out/$name.png"
    [ "$scheme" = dark ] && file="$out/$name-dark.png"
    VELKARO_COLOR_SCHEME=$scheme "$velkaro" screenshot "$file" "$@" 2>/dev/null \
      || { echo "screenshot $name ($scheme) failed" >&2; exit 1; }
    echo "$file"
  done
}

shot menu
shot menu-tablet --tablet
shot resistor --action onShowResistor --wheel m_cPickerView=0:3 --wheel m_cPickerView=1:7 \
  --wheel m_cPickerView=3:2 --wheel m_cPickerView=4:2
shot capacitor --action onShowCapacitor --wheel m_cPickerView=0:3 --wheel m_cPickerView=1:7 \
  --wheel m_cPickerView=2:5 --wheel m_cPickerView=3:6
shot resistor-values --action onShowResistorValues --type m_cResistance=4700
shot resistor-smd --action onShowResistorSMD --type m_cResistance=4r7
shot inductor --action onShowInd --wheel m_cPickerView=0:3 --wheel m_cPickerView=1:7 \
  --wheel m_cPickerView=2:2 --wheel m_cPickerView=3:2
shot led --action onShowLed --action onLedsIncrease --action onLedsIncrease
shot led-tablet --tablet --action onShowLed --type m_cLedsCount=5
shot ne555 --action onShowNE555 --type m_cDataC1=100 --type m_cDataR1=10
shot wires --action onShowWires
shot voltage-drop --action onShowVoltageDrop --type m_cAWGNum=14 --type m_cLength=25
shot value-finder --action onShowValueFinder --type m_cValue=4.75k --wheel m_cSeries=0:5
shot divider --action onShowDivider
shot regulator --action onShowRegulator
shot identify --action onShowIdentify --type "m_cMarking=yellow violet red gold"
shot solar --action onShowSolarCalc --action onButtonAddItem --type m_cItemName=TV --type m_cItemPower=60 \
  --type m_cItemUsage=5 --action onButtonAddItem --type m_cItemName=Fridge --type m_cItemPower=120 \
  --type m_cItemUsage=8 --action onButtonAddItem --action onButtonDelItems

# The datasheet store: a few entries, one of them a small two-page PDF written here.
store="$XDG_DATA_HOME/velkaro/Documents"
mkdir -p "$store/Old revisions"
python3 - "$(dirname "$0")/../bench" "$store/NE555 timer.pdf" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from datasheet_corpus import pdf  # the benchmark corpus's PDF writer, with a title page style of its own here


def titled(lines):
    text = "BT /F1 26 Tf 60 770 Td (%s) Tj /F1 14 Tf" % lines[0]
    return text + "".join(" 0 -26 Td (%s) Tj" % l for l in lines[1:]) + " ET"


pages = [["NE555 Precision Timer", "", "Supply voltage: 4.5 V to 16 V", "Timing from microseconds to hours",
          "Astable or monostable operation", "Output current: 200 mA"],
         ["Pin configuration", "", "1 GND    8 VCC", "2 TRIG   7 DISCH", "3 OUT    6 THRES", "4 RESET  5 CONT"]]
open(sys.argv[2], "w").write(pdf(pages, titled))
PY
printf 'R1 = 1k, R2 = 10k, C = 10u\n' > "$store/astable notes.txt"
# The viewer opens the PDF's row, wherever the file system lists it.
pdf_row=$(( $("$velkaro" datasheets | tail -n +2 | grep -n -x 'NE555 timer.pdf' | cut -d: -f1) - 1 ))
shot datasheets --action onShowDatasheet
shot datasheet-viewer --action onShowDatasheet --tap m_cTableData=$pdf_row
# A search of the store's index: the results grouped by document, then the viewer at a result's page.
"$velkaro" datasheets index
shot datasheets-search --action onShowDatasheet --type m_cSearchField=timer
shot datasheet-viewer-hit --action onShowDatasheet --type m_cSearchField=timer --tap m_cTableData=2
shot datasheets-ftp --action onShowDatasheet --action onButtonFTP
# The transfer screen when its port is taken by another program: the reason and the offer of another port.
python3 -c 'import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); s.bind(("", 2121)); s.listen(1)
sys.stdout.write("held\n"); sys.stdout.flush(); time.sleep(60)' > "$scratch/holder" &
holder=$!
until grep -q held "$scratch/holder" 2>/dev/null || ! kill -0 $holder 2>/dev/null; do sleep 0.1; done
shot datasheets-ftp-busy --action onShowDatasheet --action onButtonFTP
kill $holder
