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

# The words given (or read from standard input), sorted and unique, on one line.
set_of() {
  local -a words
  if [ $# -gt 0 ]; then words=("$@"); else read -ra words; fi
  [ ${#words[@]} -gt 0 ] || return 0
  mapfile -t words < <(printf '%s\n' "${words[@]}" | sort -u)
  echo "${words[*]}"
}

# What the completion offers for the words given, the last one being completed.
offered() {
  COMP_WORDS=(vesk-orv-cli "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _vesk_orv_cli 2>/dev/null
  set_of "${COMPREPLY[@]}"
}

# Each verb and sub-verb ("export trend") with its synopsis after "vesk-orv-cli [--db FILE] ",
# from its heading ("### `verb`", "#### `verb sub`") and the code block under it.
declare -A synopsis=()
commands=()
while IFS=$'\t' read -r command shown; do
  synopsis[$command]=$shown
  commands+=("$command")
done < <(awk '/^###/ { sub(/^#+ `/, ""); sub(/`$/, ""); name = $0; next }
  name != "" && /^vesk-orv-cli / { sub(/^vesk-orv-cli \[--db FILE\] ?/, ""); print name "\t" $0; name = "" }' <<<"$reference")
[ ${#commands[@]} -ge 30 ] || fail "too few verbs read from help --markdown: ${commands[*]}"

verbs=()
for command in "${commands[@]}"; do [[ $command == *" "* ]] || verbs+=("$command"); done
expected_verbs=$(set_of "${verbs[@]}")
expect_eq "the verbs offered" "$(offered '')" "$expected_verbs"
expect_eq "the verbs offered after --db FILE" "$(offered --db some.db '')" "$expected_verbs"

# A group's options are its sub-verbs'; each sub-verb is checked on its own.
declare -A group=()
for command in "${commands[@]}"; do [[ $command == *" "* ]] && group[${command%% *}]=1; done

valued=(--db)
for command in "${commands[@]}"; do
  [ -z "${group[$command]:-}" ] || continue
  read -ra words <<<"$command"
  shown=${synopsis[$command]}
  options=(--help)
  rest=$shown
  # Each option of the synopsis, and whether a value follows it ("--rows N" against "--yes]").
  while [[ $rest =~ --([a-z][a-z-]*)(.?)(.?)(.*) ]]; do
    options+=("--${BASH_REMATCH[1]}")
    [[ ${BASH_REMATCH[2]} == " " && ${BASH_REMATCH[3]} != [\[\|-] ]] && valued+=("--${BASH_REMATCH[1]}")
    rest=${BASH_REMATCH[2]}${BASH_REMATCH[3]}${BASH_REMATCH[4]}
  done
  expect_eq "the options of '$command'" "$(offered "${words[@]}" --)" "$(set_of "${options[@]}")"
done

# The options that take a value are skipped with their value when the verb's words are counted.
listed=$(sed -n 's/^ *local valued="\(.*\)"$/\1/p' "$source/packaging/vesk-orv-cli.bash")
expect_eq "the options that take a value" "$(set_of <<<"$listed")" "$(set_of "${valued[@]}")"

verdict "the completion offers the table's verbs and options"
