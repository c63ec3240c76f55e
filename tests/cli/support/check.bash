# Shared by the command-line test scripts (sourced): `check` runs velkaro and compares its exit status and standard
# output; a usage error (exit 2) must also say why on standard error. `finish` ends the script with the tally.
# The sourcing script sets `velkaro` first.
failures=0
err=$(mktemp)
trap 'rm -f "$err"' EXIT

check() {  # check STATUS EXPECTED ARGS...
  local status=$1 expected=$2
  shift 2
  local out rc
  out=$(timeout 20 "$velkaro" "$@" 2>"$err")
  rc=$?
  if [[ $rc != "$status" || $out != "$expected" || ($status == 2 && ! -s $err) ]]; then
    printf 'FAIL: velkaro'; printf ' %q' "$@"; printf '\n  exit %s (want %s)\n  got:  %q\n  want: %q\n  stderr: %s\n' \
      "$rc" "$status" "$out" "$expected" "$(cat "$err")"
    failures=$((failures + 1))
  fi
}

finish() {
  echo "$(basename "$0"): $failures failure(s)"
  [[ $failures == 0 ]]
  exit
}

# checkAll STATUS STDOUT STDERR ARGS...: as check, and standard error must match STDERR, a glob pattern ('' wants
# nothing on standard error).
checkAll() {
  local status=$1 expected=$2 pattern=$3
  shift 3
  check "$status" "$expected" "$@"
  # shellcheck disable=SC2053 # the pattern is a glob on purpose
  if [[ $(cat "$err") != $pattern ]]; then
    printf 'FAIL: velkaro'; printf ' %q' "$@"; printf '\n  stderr: %q\n  want:   %q\n' "$(cat "$err")" "$pattern"
    failures=$((failures + 1))
  fi
}
