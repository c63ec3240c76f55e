#!/usr/bin/env bash
# Fuzzes the FTP control connection (line handling, dispatch, every handler) with libFuzzer for a short time:
# the server code is compiled with clang, AddressSanitizer and UndefinedBehaviorSanitizer, and arbitrary bytes are
# sent to it on loopback. Fails on a crash, a sanitizer report, a malformed reply or a change outside the served
# folder. Usage: ftp_fuzz.sh path/to/velkaro [seconds]   (the program itself is not needed; the argument is the
# one every script test gets). FUZZ_SECONDS overrides the time (default 30).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${2:-${FUZZ_SECONDS:-30}}"
if ! command -v clang++ > /dev/null; then
    echo "clang++ is missing: make deps installs clang and libclang-rt-14-dev" >&2
    exit 1
fi
work="$(mktemp -d /tmp/velkaro-ftp-fuzz-XXXXXX)"
trap 'rm -rf "$work" /tmp/velkaro-fuzz-*' EXIT

sources=("$root"/tests/fuzz/FtpConnectionFuzz.cpp "$root"/src/ftp/*.cpp "$root"/src/net/*.cpp)
for f in "$root"/src/platform/*.cpp; do sources+=("$f"); done
echo "building the fuzz target (${#sources[@]} files)"
# One object per file, two at a time, so the build takes the machine's two cores and no more.
printf '%s\n' "${sources[@]}" | xargs -P 2 -I{} sh -c \
    'clang++ -std=c++20 -g -O1 -fsanitize=fuzzer-no-link,address,undefined -I"$1/src" -c "$2" -o "$3/$(basename "$2").o"' \
    _ "$root" {} "$work"
clang++ -fsanitize=fuzzer,address,undefined "$work"/*.o -licuuc -licui18n -licudata -o "$work/ftp_fuzz"

corpus="$work/corpus"
mkdir -p "$corpus"
i=0
while IFS= read -r seed; do
    printf '%b' "$seed" > "$corpus/seed$i"
    i=$((i + 1))
done <<'SEEDS'
USER a\r\nPASS b\r\nSYST\r\nFEAT\r\nPWD\r\nQUIT\r\n
CWD Books\r\nPWD\r\nCDUP\r\nCWD ..\r\nCWD /out\r\nCWD /../docs2\r\n
MKD x\r\nMKD x\r\nRNFR x\r\nRNTO y\r\nRMD y\r\nRMD .\r\nRMD /\r\nDELE ../sentinel\r\nDELE out/sentinel\r\n
PASV\r\nLIST -la\r\nEPSV\r\nNLST Books\r\nRETR a.pdf\r\nSTOR new.pdf\r\n
PORT 127,0,0,1,4,1\r\nRETR a.pdf\r\nEPRT |1|127.0.0.1|1025|\r\nLPRT 6,16,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,2,4,1\r\n
SIZE a.pdf\r\nSIZE Books\r\nSIZE ../sentinel\r\nTYPE I\r\nOPTS UTF8 ON\r\nSTAT\r\nNOOP\nACK\r\nMLST a.pdf\r\n
RNFR /\r\nRNTO z\r\nRNFR Books/b.pdf\r\nRNTO ../../stolen\r\nUSER \xff\xfe\r\n\r\n NOOP\r\n
PASV\r\nREST 2\r\nRETR a.pdf\r\nEPSV\r\nAPPE a.pdf\r\nABOR\r\n\xff\xf4\xff\xf2ABOR\r\nMDTM a.pdf\r\n
PASV\r\nNLST *.pdf\r\nEPSV\r\nMLSD Books\r\nPASV\r\nLIST ../*\r\nMLST /\r\nREST 99\r\nSTOR a.pdf\r\n
SEEDS

echo "fuzzing for $seconds s"
# -close_fd_mask=2 silences the server's log lines; libFuzzer still reports crashes.
"$work/ftp_fuzz" -max_total_time="$seconds" -max_len=2048 -timeout=20 -rss_limit_mb=2048 -close_fd_mask=2 \
    -print_final_stats=1 "$corpus" 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
    echo "0 passed, 1 failed"
    exit "$status"
fi
echo "1 passed, 0 failed"
