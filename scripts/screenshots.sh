#!/usr/bin/env bash
# Renders the README's screenshots without a display: scripts/screenshots.sh [build/velkaro] [docs/screenshots]
# Each line below opens a screen from the menu and sets it up as a user would before the picture is taken.
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
  "$velkaro" screenshot "$out/$name.png" "$@" 2>/dev/null || { echo "screenshot $name failed" >&2; exit 1; }
  echo "$out/$name.png"
}

shot menu
shot menu-tablet --tablet
shot resistor --action onShowResistor --wheel m_cPickerView=0:3 --wheel m_cPickerView=1:7 \
  --wheel m_cPickerView=3:2 --wheel m_cPickerView=4:2
