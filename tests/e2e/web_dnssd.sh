#!/bin/bash
# DNS-SD: velkaro ftp --web-port announces _ftp._tcp and _http._tcp through Avahi, found with avahi-browse, and
# withdraws them when it stops. Runs its own D-Bus bus and avahi-daemon in a private network and mount namespace,
# so the machine's own daemons (if any) are neither needed nor touched. Skips, saying why, where that cannot start.
set -u
VELKARO=$(realpath "$1")
skip() { echo "SKIP: $*"; exit 0; }
[ "${WEB_DNSSD_INSIDE:-}" = 1 ] || {
    command -v avahi-daemon >/dev/null && command -v avahi-browse >/dev/null && command -v dbus-daemon >/dev/null ||
        skip "avahi-daemon, avahi-browse or dbus-daemon is not installed"
    [ "$(id -u)" = 0 ] || skip "needs root for a network namespace"
    unshare -n -m true 2>/dev/null || skip "network namespaces are not allowed here"
    WEB_DNSSD_INSIDE=1 exec timeout 120 unshare -n -m bash "$0" "$VELKARO"
}

T=$(mktemp -d)
mount --make-rprivate / 2>/dev/null
mount -t tmpfs tmpfs /run || skip "cannot mount a private /run"
mkdir -p /run/avahi-daemon /run/dbus "$T/share"
ip link set lo up
ip link add web0 type veth peer name web1 2>/dev/null || skip "cannot make a network interface pair (veth)"
ip link set web1 up && ip link set web0 multicast on up && ip addr add 10.77.0.1/24 dev web0
cat > "$T/bus.conf" <<CONF
<busconfig><type>system</type><listen>unix:path=$T/bus</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/></policy>
</busconfig>
CONF
cat > "$T/avahi.conf" <<CONF
[server]
host-name=velkarotest
use-ipv4=yes
use-ipv6=no
allow-interfaces=web0
enable-dbus=yes
[publish]
publish-workstation=no
CONF
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$T/bus
dbus-daemon --config-file="$T/bus.conf" --fork --nopidfile || skip "dbus-daemon does not start"
avahi-daemon -f "$T/avahi.conf" --no-drop-root --no-chroot --no-rlimits --no-proc-title -D 2>"$T/avahi.log" ||
    skip "avahi-daemon does not start: $(cat "$T/avahi.log")"
for _ in $(seq 50); do avahi-browse -at >/dev/null 2>&1 && break; sleep 0.1; done

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
browse() { avahi-browse -rptk "$1" 2>/dev/null; }

"$VELKARO" ftp --dir "$T/share" --port 0 >"$T/out1" 2>&1 &  # without --web-port: FTP alone
pid1=$!
for _ in $(seq 50); do [ "$(browse _ftp._tcp | grep -c '^=')" -ge 1 ] && break; sleep 0.2; done
"$VELKARO" ftp --dir "$T/share" --port 0 --web-port 18080 --bind 10.77.0.1 >"$T/out" 2>"$T/err" &
pid=$!
"$VELKARO" web --dir "$T/share" --port 18081 --bind 10.77.0.1 --announce-token >"$T/out2" 2>&1 &
pid2=$!
for _ in $(seq 50); do [ "$(browse _http._tcp | grep -c '^=')" -ge 2 ] && break; sleep 0.2; done
http=$(browse _http._tcp); ftp=$(browse _ftp._tcp)
ftpPort=$(sed -n 's|^ftp://.*:\([0-9]*\)$|\1|p' "$T/out")
key=$(sed -n 's/.*?k=//p' "$T/out2" | head -1)
check "_http._tcp found with the page's port and path=/" 'grep -q "^=;web0;IPv4;Velkaro\\\\032on\\\\032.*;_http._tcp;local;.*;18080;\"path=/\"$" <<<"$http"'
check "_ftp._tcp of the same share found with path=/" 'grep -q "_ftp._tcp;local;.*;$ftpPort;\"path=/\"$" <<<"$ftp"'
check "a share without --web-port announces FTP alone" '[ "$(grep -c "^=" <<<"$ftp")" = 2 ] && [ "$(grep -c "^=" <<<"$http")" = 2 ]'
check "a name taken on the network: the next share takes another" '[ "$(cut -d";" -f4 <<<"$ftp" | sort -u | grep -c .)" = 2 ]'
check "the key is announced only with --announce-token" \
    'grep -q ";18081;\"path=/?k=$key\"$" <<<"$http" && ! grep -q ";18080;.*k=" <<<"$http"'
[ "$fail" = 0 ] || { echo "--- velkaro:"; cat "$T/out" "$T/err" "$T/out2"; echo "--- avahi:"; avahi-browse -arptk; }
kill "$pid" "$pid1" "$pid2"; wait "$pid" "$pid1" "$pid2" 2>/dev/null
sleep 1
check "the services are withdrawn when sharing stops" '[ -z "$(browse _http._tcp; browse _ftp._tcp)" ]'
# Without the daemon the share goes on and says so once.
kill "$(cat /run/avahi-daemon/pid)" 2>/dev/null; sleep 0.5
timeout 2 "$VELKARO" web --dir "$T/share" --port 0 >"$T/out3" 2>"$T/err3"
check "without a daemon: the address is printed and one line says so" \
    'grep -q "^http://.*?k=" "$T/out3" && [ "$(grep -c "no Avahi daemon" "$T/err3")" = 1 ]'
rm -rf "$T"
exit $fail
