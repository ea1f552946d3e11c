#!/usr/bin/env bash
# database-crossing.sh LINUX_CLI WINDOWS_BUILD_DIR
# One database file serves both systems: a month imported by the Linux build is read by the
# Windows build (under wine) and the other way round, and both print the same listings of it.
set -uo pipefail

linux=$1 build=$2
windows_cli="$build/bin/vesk-orv-cli.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
on_linux() { "$linux" --db "$db" "$@"; }
on_windows() { "$build/wine-run" "$windows_cli" --db "$db" "$@"; }

"$linux" sample "$work/month" --offices 30 --rows 1500 --year 2025 --month 4 --seed 7 >/dev/null ||
  { echo "FAIL: sample" >&2; exit 1; }
month=$work/month
listings=("compare 2025 4" "detail 2025 4 All" "explain 2025 4 All --matched" "unmatched 2025 4"
  "statement 2025 4 --items" "summary ctr" "summary orv" "offices" "trend")

# Imports on one system, listings on both, each system's output byte for byte the other's.
cross() {  # importing system, the other
  local from=$1 to=$2
  db=$work/$from.db
  for step in "import-master $month/office_master.xlsx" "import-ctr $month/vesk_ctr_Apr_2025.xlsx" \
    "import-orv $month/orv_receipts_Apr_2025.xlsx" "import-orv $month/orv_payments_Apr_2025.xlsx"; do
    # shellcheck disable=SC2086
    "on_$from" $step --yes >/dev/null 2>"$work/err" || fail "$from: $step: $(cat "$work/err")"
  done
  for listing in "${listings[@]}"; do
    # shellcheck disable=SC2086
    "on_$from" $listing >"$work/$from.out" 2>/dev/null || fail "$from: $listing failed on its own file"
    # shellcheck disable=SC2086
    "on_$to" $listing >"$work/$to.out" 2>"$work/err" || fail "$to: $listing failed on $from's file: $(cat "$work/err")"
    [ -s "$work/$from.out" ] || fail "$from: $listing printed nothing"
    cmp -s "$work/$from.out" "$work/$to.out" ||
      fail "$listing on $from's file: $to prints otherwise: $(diff "$work/$from.out" "$work/$to.out" | head -n 6)"
  done
  # A change made on the other system, then read back on the first.
  "on_$to" delete-month orv 2025 Apr --yes >/dev/null 2>"$work/err" ||
    fail "$to: delete-month on $from's file: $(cat "$work/err")"
  "on_$from" summary orv >"$work/after" 2>/dev/null || fail "$from: summary after $to's deletion"
  grep -q "Apr" "$work/after" && fail "$from still lists the ORV April that $to deleted"
  "on_$from" check >/dev/null 2>&1 || fail "$from: check after $to's change"
}
cross linux windows
cross windows linux

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "the database crosses both ways"
