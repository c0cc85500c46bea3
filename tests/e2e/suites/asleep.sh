# shellcheck shell=bash
# Screens asleep where the desktop says so: a stand-in for GNOME's display configuration service turns
# the screens off and on, and the page hears "screensAsleep" come and go.
startDesktop
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/asleep

/usr/bin/python3 "$ROOT/tests/e2e/bundles/asleep/displayconfig.py" 0 "$WORK/owned" > "$WORK/displayconfig.log" 2>&1 &
CONFIG=$!
PIDS+=($CONFIG)
waitFor 10 test -f "$WORK/owned" || fail "the display configuration stand-in owns its name" "$(tail -3 "$WORK/displayconfig.log")"
launch asleep
if ! waitReady; then
  fail "the page reaches its ready phase" "$(tail -3 "$WORK/asleep.err")"
  finish
fi
check "the screens are on at the start" saved '.hello.visibility.visible and (.hello.visibility.reasons | any(. == "screensAsleep") | not)'
kill -USR1 "$CONFIG"
check "power-save mode off: the page hears screensAsleep" \
  waitFor 5 saved '.visibility | last | .visible == false and (.reasons | any(. == "screensAsleep"))'
kill -USR2 "$CONFIG"
check "power-save mode on again: visible" \
  waitFor 5 saved '.visibility | last | .visible and (.reasons | any(. == "screensAsleep") | not)'
check "one report each way" saved '[.visibility[] | select(.reasons | any(. == "screensAsleep"))] | length == 1'
kill -TERM "$APP"
waitExit 20

# A start while the screens are already off: the hello, or the first report after it, says so.
kill "$CONFIG"
wait "$CONFIG" 2> /dev/null
rm -rf "$WORK/owned" "$XDG_DATA_HOME/Brindlow"
/usr/bin/python3 "$ROOT/tests/e2e/bundles/asleep/displayconfig.py" 3 "$WORK/owned" > "$WORK/displayconfig2.log" 2>&1 &
CONFIG=$!
PIDS+=($CONFIG)
waitFor 10 test -f "$WORK/owned" || fail "the display configuration stand-in starts again"
launch asleepAtStart
if waitReady; then
  check "a start with the screens off reports screensAsleep" \
    waitFor 5 saved '([.hello.visibility] + .visibility) | last | .visible == false and (.reasons | any(. == "screensAsleep"))'
  kill -TERM "$APP"
  waitExit 20
else
  fail "the page reaches its ready phase again" "$(tail -3 "$WORK/asleepAtStart.err")"
fi
