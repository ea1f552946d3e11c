#!/usr/bin/env bash
# The bash completion offers exactly the verbs and options of the command line's table: the
# table is read from `vesk-orv-cli help --markdown` (each verb's heading and synopsis), and
# the completion function is run on the words a person would have typed.
# usage: completion.sh BIN_DIR SOURCE_DIR
set -uo pipefail
bin=$1 source=$2
. "$source/tests/packaging/checks.sh"

reference=$("$bin/vesk-orv-cli" help --markdown) || { echo "FAIL: help --markdown" >&2; exit 1; }
# shellcheck source=/dev/null
. "$source/packaging/vesk-orv-cli.bash"

# What the completion offers for the words given, the last one being completed; sorted, one line.
offered() {
  COMP_WORDS=(vesk-orv-cli "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _vesk_orv_cli 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sort -u | tr '\n' ' ' | sed 's/ $//'
}
sorted() { tr ' ' '\n' | sed '/^$/d' | sort -u | tr '\n' ' ' | sed 's/ $//'; }

# "### `verb`" and "#### `verb sub`", each followed by its synopsis line.
headings=$(grep -E '^#{3,4} `' <<<"$reference" | sed -E 's/^#+ `(.*)`$/\1/')
verbs=$(grep -v ' ' <<<"$headings" | sorted)
expect_eq "the verbs offered" "$(offered '')" "$verbs"
expect_eq "the verbs offered after --db FILE" "$(offered --db some.db '')" "$verbs"

# A verb's synopsis, as its heading's code block shows it after "vesk-orv-cli [--db FILE] ".
synopsis_of() {
  awk -v want="$1" '
    /^###/ { sub(/^#+ `/, ""); sub(/`$/, ""); name = $0; next }
    name == want && /^vesk-orv-cli / { sub(/^vesk-orv-cli \[--db FILE\] /, ""); print; exit }' <<<"$reference"
}

valued=''
while read -r command; do
  [ -n "$command" ] || continue
  read -ra words <<<"$command"
  # A group's options are its sub-verbs'; each sub-verb is checked on its own.
  if grep -q "^$command " <<<"$headings"; then continue; fi
  synopsis=$(synopsis_of "$command")
  expected=$(printf '%s --help' "$(grep -oE -- '--[a-z][a-z-]*' <<<"$synopsis" | tr '\n' ' ')" | sorted)
  expect_eq "the options of '$command'" "$(offered "${words[@]}" --)" "$expected"
  valued+=" $(grep -oE -- '--[a-z][a-z-]* [^][ -]' <<<"$synopsis" | cut -d' ' -f1 | tr '\n' ' ')"
done <<<"$headings"

# The options that take a value are skipped with their value when the verb's words are counted.
expected=$(printf '%s --db' "$valued" | sorted)
listed=$(sed -n 's/^ *local valued="\(.*\)"$/\1/p' "$source/packaging/vesk-orv-cli.bash" | sorted)
expect_eq "the options that take a value" "$listed" "$expected"

verdict "the completion offers the table's verbs and options"
