#!/usr/bin/env bash
# database-crossing.sh LINUX_CLI WINDOWS_BUILD_DIR FIXTURES
# One database file serves both systems: a month imported by the Linux build is read by the
# Windows build (under wine) and the other way round, and both print the same listings of it.
# Every workbook other programs wrote, and every damaged one, reads the same on both, cell for
# cell, or is refused by both.
set -uo pipefail

linux=$1 build=$2 fixtures=$3
windows_cli="$build/bin/vesk-orv-cli.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"
on_linux() { "$linux" --db "$db" "$@"; }
on_windows() { "$build/wine-run" "$windows_cli" --db "$db" "$@"; }

# The workbooks and the databases in a folder named in Devanagari, as a division office's may be.
place="$work/डाक मंडल"
mkdir -p "$place"
"$linux" sample "$place/month" --offices 30 --rows 1500 --year 2025 --month 4 --seed 7 >/dev/null ||
  { echo "FAIL: sample" >&2; exit 1; }
month=$place/month
listings=("compare 2025 4" "detail 2025 4 All" "explain 2025 4 All --matched" "unmatched 2025 4"
  "statement 2025 4 --items" "summary ctr" "summary orv" "offices" "trend")

# Imports on one system, listings on both, each system's output byte for byte the other's.
cross() {  # importing system, the other
  local from=$1 to=$2
  db=$place/$from.db
  local verbs=(import-master import-ctr import-orv import-orv)
  local books=(office_master.xlsx vesk_ctr_Apr_2025.xlsx orv_receipts_Apr_2025.xlsx orv_payments_Apr_2025.xlsx)
  for i in 0 1 2 3; do
    "on_$from" "${verbs[$i]}" "$month/${books[$i]}" --yes >/dev/null 2>"$work/err" ||
      fail "$from: ${verbs[$i]} ${books[$i]}: $(cat "$work/err")"
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

# An export to the desktop, whose path has Devanagari letters too: on Linux the XDG desktop, on
# Windows the known folder as the registry redirects it.
desktop_linux="$place/Linux Desktop"
mkdir -p "$work/config" "$desktop_linux"
echo "XDG_DESKTOP_DIR=\"$desktop_linux\"" >"$work/config/user-dirs.dirs"
db=$place/linux.db
XDG_CONFIG_HOME="$work/config" "$linux" --db "$db" export consolidated 2025 4 >/dev/null 2>"$work/err" ||
  fail "Linux: export to the desktop: $(cat "$work/err")"
[ -f "$desktop_linux/VESK - ORV Output/April_2025_Consolidated_Difference.xlsx" ] ||
  fail "Linux: no export on the desktop $desktop_linux"
desktop_windows="$place/Windows Desktop"
mkdir -p "$desktop_windows"
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
before=$("$build/wine-run" reg query "$shell_folders" /v Desktop 2>/dev/null | tr -d '\r' |
  sed -n 's/^ *Desktop *REG_[A-Z_]* *//p')
"$build/wine-run" reg add "$shell_folders" /v Desktop /t REG_EXPAND_SZ /d "Z:$desktop_windows" /f >/dev/null 2>&1
"$build/wine-run" "$windows_cli" --db "$db" export consolidated 2025 4 >/dev/null 2>"$work/err" ||
  fail "Windows: export to the desktop: $(cat "$work/err")"
[ -n "$before" ] && "$build/wine-run" reg add "$shell_folders" /v Desktop /t REG_EXPAND_SZ /d "$before" /f >/dev/null 2>&1
[ -f "$desktop_windows/VESK - ORV Output/April_2025_Consolidated_Difference.xlsx" ] ||
  fail "Windows: no export on the desktop $desktop_windows"

for book in "$fixtures"/foreign/* "$fixtures"/damaged/* "$fixtures"/*.xls "$fixtures"/*.xlsx; do
  [ -f "$book" ] || continue
  # A cell at the sheet's far corner lists billions of empty cells: the corpus test reads those.
  [[ $book == */ok-far-* ]] && continue
  "$linux" inspect "$book" >"$work/linux.out" 2>"$work/linux.err"
  on_linux=$?
  "$build/wine-run" "$windows_cli" inspect "$book" >"$work/windows.out" 2>"$work/windows.err"
  on_windows=$?
  name=${book#"$fixtures"/}
  [ "$on_linux" -eq "$on_windows" ] || fail "inspect $name: exit $on_linux on Linux, $on_windows on Windows"
  cmp -s "$work/linux.out" "$work/windows.out" ||
    fail "inspect $name reads otherwise on Windows: $(diff "$work/linux.out" "$work/windows.out" | head -n 4)"
done

verdict "the database crosses both ways"
