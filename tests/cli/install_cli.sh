#!/usr/bin/env bash
# The program installed as a desktop application: `cmake --install` into a scratch prefix lays out the program,
# the desktop file, the AppStream metadata, the icons, the manual page and the bash completion under one
# application ID, and the desktop's own validators accept them. The manual page and the completion must know
# every option that --help lists.
set -u
velkaro=${1:?usage: install_cli.sh path/to/velkaro}
build=$(dirname "$velkaro")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$root/usr" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
usr=$root/usr
id=org.velkaro.velkaro  # the rate address's ID too (tests/app)
metainfo=$usr/share/metainfo/$id.metainfo.xml
modules=$(cd "$usr" && echo lib/*/velkaro)  # lib/ARCH/velkaro
for f in bin/velkaro bin/velkaro-gui $modules/velkaro-pdftext $modules/velkaro-tls.so share/applications/$id.desktop \
  share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg share/man/man1/velkaro.1.gz \
  share/man/man1/velkaro-gui.1.gz share/bash-completion/completions/velkaro lib/systemd/user/velkaro-share.service \
  share/doc/velkaro/copyright share/doc/velkaro/changelog.gz; do
  [[ -s $usr/$f ]] || fail "not installed: $f"
done
for size in 48 128 256; do
  png=$usr/share/icons/hicolor/${size}x$size/apps/$id.png
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  read -r w h < <(od -An -tx1 -j16 -N8 "$png" 2>/dev/null | tr -d ' \n' | sed -E 's/(.{8})(.{8})/\1 \2/')
  [[ $((16#${w:-0})) == "$size" && $((16#${h:-0})) == "$size" ]] || fail "icon $png is not ${size}x$size"
done

desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --pedantic --no-net "$metainfo" >"$root/appstream.log" 2>&1 || fail "appstreamcli: $(cat "$root/appstream.log")"
grep -qx "Icon=$id" "$usr/share/applications/$id.desktop" || fail "the desktop file's icon is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metainfo launches another file"
for url in $(grep -oE '<image>[^<]+</image>' "$metainfo" | sed -E 's#</?image>##g'); do
  [[ -f $source_dir/docs/screenshots/${url##*/} ]] || fail "metainfo screenshot $url is not in docs/screenshots"
done

# The installed command line finds its PDF reader in lib/ARCH/velkaro (it logs the document as left unread when not).
mkdir -p "$root/store" && printf '%%PDF-1.4\n' >"$root/store/a.pdf"
out=$(XDG_DATA_HOME=$root/data timeout 20 "$usr/bin/velkaro" datasheets index --dir "$root/store" 2>&1 >/dev/null)
[[ $out != *"is left unread"* ]] || fail "installed velkaro: $out"
# And its TLS module: the server prints the certificate's fingerprint once it serves.
out=$(XDG_CONFIG_HOME=$root/config timeout -s INT 3 "$usr/bin/velkaro" ftp --tls --port 0 --dir "$root/store" 2>&1)
[[ $out == *"certificate SHA-256"* && $out != *"TLS module"* ]] || fail "installed velkaro ftp --tls: $out"

# One version everywhere: the program's, the newest release's and the manual page's.
version=$("$usr/bin/velkaro" --version) || fail "the installed program does not run"
version=${version#velkaro }
release=$(grep -m1 -oE '<release version="[^"]+"' "$metainfo" | cut -d'"' -f2)
[[ $release == "$version" ]] || fail "newest release $release, program $version"
zcat "$usr/share/man/man1/velkaro.1.gz" | grep -q "^\.TH VELKARO 1 .*\"velkaro $version\"" || fail "manual page version"

# Every option of every subcommand is in its manual page section and its completions.
man=$(zcat "$usr/share/man/man1/velkaro.1.gz" | sed 's/\\-/-/g')
source "$usr/share/bash-completion/completions/velkaro"
subcommands=$("$velkaro" --help | awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
[[ $subcommands == *resistor*ftp* ]] || fail "no subcommands in --help"
for sub in $subcommands; do
  section=$(awk -v name="$sub" '/^\.S[SH]/ { on = ($0 ~ "^\\.SS \"?" name "( |\"|$)") } on' <<<"$man")
  [[ -n $section ]] || fail "manual page: no section for $sub"
  COMP_WORDS=(velkaro "$sub" --) COMP_CWORD=2
  COMPREPLY=()
  _velkaro
  for opt in $("$velkaro" "$sub" --help | grep -oE -- '--[a-z0-9-]+' | sort -u); do
    [[ $opt == --help ]] || grep -q -- "$opt" <<<"$section" || fail "manual page: $sub $opt"
    [[ " ${COMPREPLY[*]} " == *" $opt "* ]] || fail "completion: $sub $opt"
  done
done
COMP_WORDS=(velkaro "") COMP_CWORD=1
_velkaro
[[ "${COMPREPLY[*]}" == "$(echo $subcommands --tablet --help --version)" ]] || fail "completion of subcommands: ${COMPREPLY[*]}"

echo "install_cli: $failures failure(s)"
[[ $failures == 0 ]]
