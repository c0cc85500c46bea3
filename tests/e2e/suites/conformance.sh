# shellcheck shell=bash
# The seam's conformance suite (tests/conformance/) on the real backend, on this suite's desktop:
# the same promises the unit tests hold the fake to, read back from the X server.
startDesktop

conformance=${BRINDLOW_CONFORMANCE_BIN:-$(dirname "$BIN")/seam_conformance_linux}
if [ ! -x "$conformance" ]; then
  fail "the conformance suite is built" "no program at $conformance"
  finish
fi

"$conformance" --gtest_color=no > "$WORK/conformance.log" 2>&1
status=$?
# One line per promise, named after its test.
while read -r verdict name; do
  case $verdict in
    OK) pass "seam: $name" ;;
    FAILED) fail "seam: $name" "$(grep -m 3 -B1 'Failure' "$WORK/conformance.log" | tr '\n' ' ')" ;;
  esac
done < <(sed -n -E 's/^\[ +(OK|FAILED) +\] ([A-Za-z0-9_/.]+) \([0-9]+ ms\)$/\1 \2/p' "$WORK/conformance.log")
grep -q '^\[  PASSED  \]' "$WORK/conformance.log" && [ "$status" -eq 0 ] ||
  fail "the conformance suite runs to its end" "exit $status; $(tail -3 "$WORK/conformance.log" | tr '\n' ' ')"
