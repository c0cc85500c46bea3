# shellcheck shell=bash
# A locked session counts no keys: a stand-in logind on a private system bus and a screen saver on the
# session bus (tests/e2e/stand-ins/session-lock.py) that disagree, in both orders, and a start while
# the session is already locked.
startDesktop
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/lock

# A private system bus: the program finds logind through DBUS_SYSTEM_BUS_ADDRESS.
dbus-daemon --session --nofork --address="unix:path=$WORK/system_bus" --print-address=5 5> "$WORK/system_bus.address" \
  > "$WORK/system_bus.log" 2>&1 &
PIDS+=($!)
waitFor 10 test -s "$WORK/system_bus.address" || { fail "the private system bus starts"; finish; }
export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$WORK/system_bus.address") E2E_SYSTEM_BUS
E2E_SYSTEM_BUS=$DBUS_SYSTEM_BUS_ADDRESS

standIns() {  # standIns [--locked]: (re)starts the stand-ins, sets STANDINS
  /usr/bin/python3 "$ROOT/tests/e2e/stand-ins/session-lock.py" "$@" > "$WORK/stand-ins.out" 2> "$WORK/stand-ins.err" &
  STANDINS=$!
  PIDS+=($STANDINS)
  waitFor 10 grep -q ready "$WORK/stand-ins.out"
}
standIns || { fail "the logind and screen saver stand-ins start" "$(tail -3 "$WORK/stand-ins.err")"; finish; }

hint() { gdbus call --address "$E2E_SYSTEM_BUS" --dest org.freedesktop.login1 --object-path /org/freedesktop/login1/session/e2e \
  --method org.freedesktop.login1.Session.SetLockedHint "$1" > /dev/null; }
saver() { gdbus call --session --dest org.freedesktop.ScreenSaver --object-path /org/freedesktop/ScreenSaver \
  --method org.freedesktop.ScreenSaver.SetActive "$1" > /dev/null; }
keys() { jq '.keys' "$SAVE" 2> /dev/null; }
locked() { saved '.visibility.reasons | index("locked")'; }
unlocked() { saved '.visibility.visible'; }
# typed: types five keys and waits for the batch (a hidden pet's waits a second); prints the new keys.
typed() {
  local before
  before=$(keys)
  xdotool type --delay 120 abcde
  sleep 2
  echo $(($(keys) - before))
}

launch brindlow
if ! waitReady; then
  fail "the page reaches its ready phase" "$(jq -c . "$SAVE" 2> /dev/null || echo 'no save file'); $(tail -3 "$WORK/brindlow.err")"
  finish
fi
check "hello: the session is unlocked and listen access granted ($(jq -c .permission "$SAVE"))" \
  saved '.hello.visibility.visible and .permission.input == "granted"'
n=$(typed)
check "typing at the unlocked desktop reaches the page as onKeys (n = $n)" test "$n" -eq 5

# logind locks; the screen saver then says the opposite.
hint true
waitFor 5 locked
saver false
sleep 0.5
check "logind locked, the screen saver says inactive: still locked ($(jq -c .visibility "$SAVE"))" locked
n=$(typed)
check "typing while logind says locked sends no onKeys (n = $n)" test "$n" -eq 0

# The other order: the screen saver holds the lock while logind lets go.
saver true
hint false
sleep 0.5
check "the screen saver active, logind unlocked: still locked ($(jq -c .visibility "$SAVE"))" locked
n=$(typed)
check "typing while the screen saver holds the lock sends no onKeys (n = $n)" test "$n" -eq 0
saver false
waitFor 5 unlocked
check "unlocked once neither says locked ($(jq -c .visibility "$SAVE"))" unlocked
n=$(typed)
check "typing after the unlock is counted again (n = $n)" test "$n" -eq 5

# A start inside a session that is already locked.
kill -TERM "$APP"
waitExit 20
check "SIGTERM ends the program (status $status)" test "$status" -eq 0
kill "$STANDINS" 2> /dev/null
wait "$STANDINS" 2> /dev/null
standIns --locked || fail "the stand-ins start again, locked"
launch again
if waitReady; then
  check "a start while locked: the hello says locked ($(jq -c .hello.visibility "$SAVE"))" \
    saved '.hello.visibility.visible == false and (.hello.visibility.reasons | index("locked"))'
  n=$(typed)
  check "typing on the lock screen after that start sends no onKeys (n = $n)" test "$n" -eq 0
  hint false
  waitFor 5 unlocked
  n=$(typed)
  check "after the unlock typing is counted (n = $n)" test "$n" -eq 5
  kill -TERM "$APP"
  waitExit 20
else
  fail "the program starts inside the locked session" "$(tail -3 "$WORK/again.err")"
fi
