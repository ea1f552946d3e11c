#!/usr/bin/env bash
# install-tree.sh BUILD_DIR SOURCE_DIR VERSION
# Installs the build under a fresh prefix with cmake --install and checks the tree:
# the programs, the desktop entry, the icon, the manual page, the completion, the README,
# and which database file the installed command-line tool picks.
set -uo pipefail

build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix=$work/usr
source "$(dirname "$0")/checks.sh"

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install" >&2; exit 1; }

# Everything installed, and nothing else.
expected="bin/vesk-orv
bin/vesk-orv-cli
share/applications/vesk-orv.desktop
share/bash-completion/completions/vesk-orv-cli
share/doc/vesk-orv/README.md
share/doc/vesk-orv/changelog.gz
share/doc/vesk-orv/copyright
share/icons/hicolor/scalable/apps/vesk-orv.svg
share/man/man1/vesk-orv-cli.1.gz
share/man/man1/vesk-orv.1.gz"
expect_eq "installed files" "$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)" "$expected"
for p in vesk-orv vesk-orv-cli; do
  [ -x "$prefix/bin/$p" ] || fail "bin/$p is not executable"
done
cli=$prefix/bin/vesk-orv-cli

# The desktop entry is valid and names the installed program and icon.
desktop=$prefix/share/applications/vesk-orv.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate warns: $out"
expect_eq "desktop Exec" "$(sed -n 's/^Exec=//p' "$desktop")" "vesk-orv"
expect_eq "desktop Icon" "$(sed -n 's/^Icon=//p' "$desktop")" "vesk-orv"
expect_eq "desktop Name" "$(sed -n 's/^Name=//p' "$desktop")" "VESK - ORV Comparison Tool"
grep -q '^Categories=.*Office;' "$desktop" || fail "desktop entry is not in the Office category"
grep -q '<svg[^>]*viewBox=' "$prefix/share/icons/hicolor/scalable/apps/vesk-orv.svg" || fail "icon is no scalable SVG"

# The version comes from the build.
expect_eq "--version" "$("$cli" --version)" "vesk-orv-cli $version"

# The manual page: gzipped, carrying the version, and every verb and option of the usage text.
man=$prefix/share/man/man1/vesk-orv-cli.1.gz
gzip -t "$man" || fail "the manual page is no gzip file"
page=$(gzip -dc "$man" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
grep -q '^\.TH VESK-ORV-CLI 1 .*'"$version" <<<"$page" || fail "manual page heading lacks the version"
for section in SYNOPSIS VERBS "EXIT STATUS" ENVIRONMENT FILES; do
  grep -q "^\.SH $section" <<<"$page" || fail "manual page lacks $section"
done
if command -v groff >/dev/null; then
  warnings=$(gzip -dc "$man" | groff -man -ww -z -Tutf8 2>&1)
  [ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
fi

# The window's own manual page, and the changelog's newest entry: this version's.
window_page=$prefix/share/man/man1/vesk-orv.1.gz
gzip -dc "$window_page" | grep -q '^\.TH VESK-ORV 1 .*'"$version" || fail "the window's manual page lacks the version"
if command -v groff >/dev/null; then
  warnings=$(gzip -dc "$window_page" | groff -man -ww -z -Tutf8 2>&1)
  [ -z "$warnings" ] || fail "groff warns about the window's manual page: $warnings"
fi
expect_eq "changelog's version" \
  "$(gzip -dc "$prefix/share/doc/vesk-orv/changelog.gz" | sed -n '1s/^vesk-orv (\([^)]*\)).*/\1/p')" "$version"

# The verbs and their options as the program itself lists them ("  verb synopsis").
usage=$("$cli" --help)
verbs=$(sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p' <<<"$usage")
[ "$(wc -w <<<"$verbs")" -ge 14 ] || fail "too few verbs read from the usage text: $verbs"
for opt in --db --help --version; do
  grep -q -- "$opt" <<<"$page" || fail "manual page lacks $opt"
done

# The completion, sourced as bash-completion would, asked as a shell would ask.
completion=$prefix/share/bash-completion/completions/vesk-orv-cli
complete_words() {  # the words typed so far, the last one being completed
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _vesk_orv_cli; echo "${COMPREPLY[*]}"' \
    _ "$completion" "$@"
}
for verb in $verbs; do
  grep -q -- "^\.[A-Z]* *$verb\b\|^$verb\b" <<<"$page" || fail "manual page lacks the verb $verb"
  [[ " $(complete_words vesk-orv-cli "${verb:0:3}") " == *" $verb "* ]] || fail "completion lacks the verb $verb"
  [ "$verb" != export ] && [ "$verb" != print ] && [ "$verb" != rules ] || continue  # their kinds are checked below
  options=$(sed -n "s/^  $verb\( .*\)\{0,1\}$/\1/p" <<<"$usage" | grep -o -- '--[a-z-]*' | sort -u)
  offered=" $(complete_words vesk-orv-cli "$verb" --) "
  for opt in $options; do
    [[ $offered == *" $opt "* ]] || fail "completion of '$verb --' lacks $opt (offers$offered)"
    grep -q -- "$opt" <<<"$page" || fail "manual page lacks $opt of $verb"
  done
done
# Each kind of export, and of print, and each way of the rules takes its own options, as its own
# usage lists them, and completes them.
for group_kind in export:{consolidated,detailed,unmatched,explained,trend,open-items,statement} \
  print:{consolidated,detailed,unmatched,explained,open-items,statement} rules:{set,try}; do
  group=${group_kind%%:*} kind=${group_kind#*:}
  options=$("$cli" "$group" "$kind" --help | sed -n "1s/^usage: [^ ]* \\[--db FILE\\] $group [a-z-]*//p" |
    grep -o -- '--[a-z-]*' | sort -u)
  [ -n "$options" ] || fail "$group $kind --help lists no options"
  offered=$(complete_words vesk-orv-cli "$group" "$kind" -- | tr ' ' '\n' | grep -v -- '^--help$' | sort -u)
  expect_eq "completion of '$group $kind --'" "$(echo $offered)" "$(echo $options)"
  for opt in $options; do
    grep -q -- "$opt" <<<"$page" || fail "manual page lacks $opt of $group $kind"
  done
done
expect_eq "completion of a global option" "$(complete_words vesk-orv-cli --ver)" "--version"
expect_eq "completion after --db FILE" "$(complete_words vesk-orv-cli --db x.db sum)" "summary"
expect_eq "completion of export's first argument" "$(complete_words vesk-orv-cli export d)" "detailed"

expect_eq "README" "$(cmp "$source/README.md" "$prefix/share/doc/vesk-orv/README.md" && echo same)" "same"

# The installed tool's database: beside it in a writable prefix, unless named; `where`
# creates nothing.
where() { env -u VESK_ORV_DB HOME="$work/home" XDG_DATA_HOME="$work/data" "$@" | head -n 1; }
expect_eq "where, writable folder" "$(where "$cli" where)" "$prefix/bin/ZETTools.db"
[ ! -e "$prefix/bin/ZETTools.db" ] || fail "where created the database"
expect_eq "where, VESK_ORV_DB" "$(where VESK_ORV_DB="$work/v.db" "$cli" where)" "$work/v.db"
expect_eq "where, --db over VESK_ORV_DB" "$(where VESK_ORV_DB="$work/v.db" "$cli" --db "$work/o.db" where)" "$work/o.db"
if [ "$(id -u)" -ne 0 ]; then  # root writes into read-only folders
  chmod a-w "$prefix/bin"
  expect_eq "where, read-only folder" "$(where "$cli" where)" "$work/data/vesk-orv/ZETTools.db"
  chmod u+w "$prefix/bin"
fi

verdict "install tree under $prefix: all checks passed"
