#!/usr/bin/env bash
# Prints the sizes the README quotes: each package file, its Installed-Size, the stripped programs and modules
# inside it, and the debug-symbol packages. Run after `make package` (default folder build-release/).
set -euo pipefail
build=${1:-build-release}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mib() { awk -v b="$1" 'BEGIN { if (b < 1048576) printf "%.0f KiB", b / 1024; else printf "%.1f MiB", b / 1048576 }'; }
for deb in "$build"/velkaro_*.deb "$build"/velkaro-gui_*.deb; do
  name=$(dpkg-deb -f "$deb" Package)
  echo "$name: package $(mib "$(stat -c %s "$deb")"), Installed-Size $(mib $(($(dpkg-deb -f "$deb" Installed-Size) * 1024)))"
  dpkg-deb -x "$deb" "$root/$name"
  (cd "$root/$name" && find usr -type f \( -path 'usr/bin/*' -o -path '*/velkaro/velkaro-*' \) -printf '%s %p\n' | sort -k2) |
    while read -r size path; do echo "  /$path $(mib "$size")"; done
done
for ddeb in "$build"/velkaro*-dbgsym_*.ddeb; do
  echo "$(dpkg-deb -f "$ddeb" Package): package $(mib "$(stat -c %s "$ddeb")")"
done
