# Sourced by the packaging tests: a failed check is said and counted, and the test goes on to
# the next one, so that one run names every fault.
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_eq() {  # what, actual, expected
  [ "$2" == "$3" ] || fail "$1: got '$2', expected '$3'"
}
# The end: exit 1 when a check failed, saying how many; else the line given.
verdict() {
  [ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
  echo "$1"
}
