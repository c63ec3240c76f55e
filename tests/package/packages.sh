#!/usr/bin/env bash
# Both Debian packages as Debian checks them and as a user installs them: lintian (pedantic) finds no error, no
# warning and no hardening tag; the command-line package pulls in no Qt; and the programs run from a scratch root
# where both packages are unpacked: velkaro --help, an FTP download from `velkaro ftp`, and the window of
# velkaro-gui under Xvfb.
set -uo pipefail
build=${1:?usage: packages.sh path/to/build-release}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cli=$(ls "$build"/velkaro_*.deb) && gui=$(ls "$build"/velkaro-gui_*.deb) || { echo "FAIL: no packages in $build"; exit 1; }
root=$(mktemp -d)
server=
trap '[[ -n $server ]] && kill "$server" 2>/dev/null; rm -rf "$root"' EXIT

# lintian: every tag it gives is printed; errors, warnings and hardening tags fail.
lintian --pedantic --display-info "$cli" "$gui" >"$root/lintian.log" 2>&1
cat "$root/lintian.log"
grep -qE '^(E|W): ' "$root/lintian.log" && fail "lintian reports errors or warnings"
grep -q 'hardening-' "$root/lintian.log" && fail "lintian reports a hardening tag"

# The command line's package depends on no Qt; the window's on the command line's and on Qt's plugins, once each.
cli_depends=$(dpkg-deb -f "$cli" Depends)
gui_depends=$(dpkg-deb -f "$gui" Depends)
[[ ${cli_depends,,} != *qt* ]] || fail "velkaro depends on Qt: $cli_depends"
[[ $cli_depends == *libssl3* ]] || fail "velkaro does not depend on libssl3: $cli_depends"
[[ $gui_depends == *"velkaro (= "* ]] || fail "velkaro-gui does not depend on velkaro: $gui_depends"
for dep in qt6-qpa-plugins libqt6svg6 libqrencode4; do
  [[ $(tr ',' '\n' <<<"$gui_depends" | grep -c "^ *$dep\b") == 1 ]] || fail "velkaro-gui lists $dep not once: $gui_depends"
done

dpkg-deb -x "$cli" "$root" && dpkg-deb -x "$gui" "$root" || fail "dpkg-deb -x"
usr=$root/usr
readelf -d "$usr/bin/velkaro" | grep NEEDED | grep -qi qt && fail "velkaro links Qt"
! file "$usr/bin/velkaro" "$usr/bin/velkaro-gui" | grep -q "not stripped" || fail "the programs are not stripped"
[[ $(cat "$build"/velkaro*-dbgsym_*.ddeb | wc -c) -gt 0 ]] || fail "no -dbgsym packages"
for ddeb in "$build"/velkaro-dbgsym_*.ddeb "$build"/velkaro-gui-dbgsym_*.ddeb; do
  [[ $(dpkg-deb -c "$ddeb" | grep -c '/usr/lib/debug/.build-id/.*\.debug$') -ge 1 ]] || fail "$ddeb holds no symbols"
done

# The command line from the unpacked root, its modules found in their installed folder.
"$usr/bin/velkaro" --help | grep -q "^Subcommands:" || fail "velkaro --help"
[[ $("$usr/bin/velkaro" values 4700) == "Nearest value: 4.7 KOhm" ]] || fail "velkaro values 4700"
mkdir -p "$root/store" "$root/config" && head -c 100000 /dev/urandom >"$root/store/sheet.bin"
out=$(XDG_CONFIG_HOME=$root/config timeout -s INT 3 "$usr/bin/velkaro" ftp --tls --port 0 --dir "$root/store" 2>&1)
[[ $out == *"certificate SHA-256"* ]] || fail "velkaro ftp --tls from the package: $out"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
XDG_CONFIG_HOME=$root/config "$usr/bin/velkaro" ftp --bind 127.0.0.1 --port "$port" --dir "$root/store" \
  >"$root/ftp.log" 2>&1 &
server=$!
for _ in $(seq 50); do curl -s -o /dev/null "ftp://127.0.0.1:$port/" && break; sleep 0.1; done
curl -s -o "$root/got.bin" "ftp://127.0.0.1:$port/sheet.bin" || fail "download from velkaro ftp: $(cat "$root/ftp.log")"
cmp -s "$root/store/sheet.bin" "$root/got.bin" || fail "the downloaded file differs"
kill "$server" && wait "$server" 2>/dev/null
server=

# The systemd user unit starts the packaged program and says where its options come from.
unit=$usr/lib/systemd/user/velkaro-share.service
grep -q '^ExecStart=/usr/bin/velkaro ftp ' "$unit" || fail "velkaro-share.service does not run velkaro ftp"
sed "s#/usr/bin/velkaro#$usr/bin/velkaro#" "$unit" >"$root/velkaro-share.service"
mkdir -m 700 "$root/run"  # a user manager's runtime folder, which a CI machine has no session to give
XDG_RUNTIME_DIR=$root/run systemd-analyze verify --user --man=no "$root/velkaro-share.service" >"$root/unit.log" 2>&1 \
  || fail "systemd-analyze: $(cat "$root/unit.log")"

# The window from velkaro-gui, on a real X server.
QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data timeout 60 \
  xvfb-run -a "$usr/bin/velkaro-gui" screenshot "$root/menu.png" >"$root/gui.log" 2>&1
[[ $(head -c 8 "$root/menu.png" 2>/dev/null | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] \
  || fail "velkaro-gui under Xvfb drew no window: $(cat "$root/gui.log")"

echo "packages: $(basename "$cli") $(basename "$gui"): $failures failure(s)"
[[ $failures == 0 ]]
