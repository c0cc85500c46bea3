#!/usr/bin/env bash
# End-to-end run of the real build/brindlow on a headless X11 desktop (Xvfb, openbox, xcompmgr) with its
# own session bus. The test page (tests/e2e/bundle/web/index.html) drives the bridge and writes what it
# saw into the save file; this script drives the pointer and the keyboard, looks at the windows from
# outside and reads that file back. Each check is a path through WebKitGTK, X11 or D-Bus.
#
#   tests/e2e/run.sh            uses ./build/brindlow
#   BRINDLOW_BIN=... E2E_KEEP=1 keeps the work folder (logs, save file, xev output)
set -u

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BIN=${BRINDLOW_BIN:-$ROOT/build/brindlow}

# Everything below runs inside one private session bus, which takes its services with it at the end.
if [ -z "${E2E_SESSION:-}" ]; then
  for tool in Xvfb openbox xcompmgr xdotool xwininfo xprop xev jq dbus-run-session; do
    command -v "$tool" > /dev/null || { echo "e2e: missing $tool (make e2e installs it)"; echo "e2e: 0 passed, 1 failed"; exit 1; }
  done
  [ -x "$BIN" ] || { echo "e2e: no program at $BIN"; echo "e2e: 0 passed, 1 failed"; exit 1; }
  WORK=$(mktemp -d /tmp/brindlow-e2e.XXXXXX)
  export NO_AT_BRIDGE=1
  # The report goes out on descriptor 3; what the bus and the services it starts print goes to a log.
  exec env E2E_SESSION=1 E2E_WORK="$WORK" dbus-run-session -- "${BASH_SOURCE[0]}" "$@" 3>&1 > "$WORK/session.log" 2>&1
fi

exec 1>&3 3>&-
WORK=$E2E_WORK
SAVE=$WORK/data/Brindlow/save.json
PIDS=()
passed=0
failed=0

pass() { passed=$((passed + 1)); echo "ok - $1"; }
fail() { failed=$((failed + 1)); echo "not ok - $1${2:+: $2}"; }
check() {  # check NAME CONDITION-COMMAND...
  local name=$1; shift
  if "$@" 2> /dev/null; then pass "$name"; else fail "$name"; fi
}
# A jq test on the file the page wrote.
saved() { [ -f "$SAVE" ] && jq -e "$1" "$SAVE" > /dev/null 2>&1; }
waitFor() {  # waitFor SECONDS COMMAND...: polls every 0.1 s
  local tries=$(($1 * 10)); shift
  while [ $tries -gt 0 ]; do "$@" && return 0; sleep 0.1; tries=$((tries - 1)); done
  return 1
}
alive() { kill -0 "$1" 2> /dev/null; }

cleanup() {
  [ -n "${cleaned:-}" ] && return
  cleaned=1
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2> /dev/null; done
  for pid in "${PIDS[@]}"; do wait "$pid" 2> /dev/null; done
  if [ -n "${E2E_KEEP:-}" ] || [ "$failed" -gt 0 ]; then echo "e2e: logs kept in $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

finish() {
  cleanup
  echo "e2e: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

# ---- The desktop

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3> "$WORK/display" 2> "$WORK/xvfb.log" &
PIDS+=($!)
if ! waitFor 10 test -s "$WORK/display"; then
  fail "Xvfb starts" "$(tail -3 "$WORK/xvfb.log")"
  finish
fi
export DISPLAY=:$(head -1 "$WORK/display")
openbox > "$WORK/openbox.log" 2>&1 &
PIDS+=($!)
waitFor 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "openbox starts"
xcompmgr > "$WORK/xcompmgr.log" 2>&1 &
PIDS+=($!)

# A window below the pet, to see clicks that fall through it.
xev -geometry 400x400+250+150 -name e2e-below > "$WORK/xev.log" 2>&1 &
PIDS+=($!)
waitFor 10 sh -c 'xwininfo -name e2e-below > /dev/null 2>&1' || fail "window below the pet maps"

# ---- The program

export XDG_DATA_HOME=$WORK/data XDG_CONFIG_HOME=$WORK/config
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundle BRINDLOW_LOG_STDERR=1
launch() {  # launch LOG-NAME: starts the program, sets APP
  "$BIN" > "$WORK/$1.out" 2> "$WORK/$1.err" &
  APP=$!
  PIDS+=($APP)
}
appGone() { ! alive "$APP"; }
# waitExit SECONDS: waits for APP to end and sets status; 124 when it is still running.
waitExit() {
  if waitFor "$1" appGone; then
    wait "$APP"
    status=$?
  else
    status=124
    kill "$APP" 2> /dev/null
  fi
}

# waitReady: the page wrote its ready phase, or the program is gone (then false at once).
readyOrGone() { saved '.phase == "ready"' || ! alive "$APP"; }
waitReady() { waitFor 30 readyOrGone && saved '.phase == "ready"'; }

started=$(date +%s%N)
launch brindlow

if waitReady; then
  pass "the page loads from brindlow://app, says hello and saves through the bridge ($(( ($(date +%s%N) - started) / 1000000 )) ms)"
else
  fail "the page reaches its ready phase" "$(jq -c . "$SAVE" 2> /dev/null || echo 'no save file'); $(tail -3 "$WORK/brindlow.err")"
  finish
fi

check "page served from the private scheme" saved '.location == "brindlow://app/index.html"'
check "hello snapshot: protocol, version and build from the bundle's info.json" \
  saved '.hello.protocol == 6 and .hello.appVersion == "7.6.5" and .hello.build == "4321" and .hello.soak == false'
check "hello snapshot: the Xvfb screen through XRandR/GDK" \
  saved '.hello.screens | length == 1 and .[0].primary and .[0].frame == {x: 0, y: 0, w: 1280, h: 800} and .[0].scale == 1'
check "hello snapshot: window, prefs, permission, power, visibility, no save yet" \
  saved '.hello.window.mode == "pet" and .hello.window.frame.w == 200 and (.hello.prefs | has("onTop") and has("ground"))
         and .hello.permission.input == "granted" and .hello.power.thermal == "nominal" and .hello.visibility.visible
         and .hello.save == null and .hello.saveRecovered == false'
check "request errors reach the page as rejections (protocol, unknown)" \
  saved '.helloBadProtocol == "protocol" and .unknownType == "unknown"'
check "pet.frame moves the pet (the second hello reports it)" \
  saved '.windowAfterFrame.frame == {x: 300, y: 200, w: 200, h: 200}'
check "a subframe's save.write and pet.frame have no effect (the frame saw: $(jq -c .frame "$SAVE" 2> /dev/null))" \
  saved '(.saveAfterFrame | fromjson | .phase) == "marked" and .frame != {replied: {ok: true}}'

# The pet window as the X server and the window manager see it.
PET=$(xdotool search --name '^brindlow$' 2> /dev/null | while read -r w; do
  xwininfo -id "$w" | grep -q 'Map State: IsViewable' && xwininfo -id "$w" | grep -q 'Width: 200' && echo "$w"; done | head -1)
if [ -n "$PET" ]; then
  geometry=$(xwininfo -id "$PET" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width/ {w=$NF} /Height/ {h=$NF} END {print x","y","w"x"h}')
  check "the pet window is at 300,200 200x200 on the X server (xwininfo: $geometry)" test "$geometry" = "300,200,200x200"
  state=$(xprop -id "$PET" _NET_WM_STATE)
  check "the window manager keeps it above and out of the taskbar ($state)" \
    sh -c "echo '$state' | grep -q _NET_WM_STATE_ABOVE && echo '$state' | grep -q _NET_WM_STATE_SKIP_TASKBAR"
else
  fail "the pet window is mapped" "$(xwininfo -root -tree | grep -i brindlow | head -5)"
fi

# A second start in the same session finds the first one through the session bus and leaves.
timeout 15 "$BIN" > "$WORK/second.out" 2> "$WORK/second.err"
second=$?
check "a second instance in the same session exits (status $second) and the first keeps running" \
  sh -c "[ $second -ne 124 ] && kill -0 $APP"

# Beside the hit rectangle (page 0,0 100x100 of the pet) a click reaches the window below. Absolute
# XTest motion makes no raw motion event on Xvfb; the relative nudge does, so the hit tester sees it.
clickBeside() {
  xdotool mousemove 450 350 mousemove_relative 1 1
  sleep 0.5
  local presses
  presses=$(grep -c ButtonPress "$WORK/xev.log")
  xdotool click 1
  waitFor 3 sh -c "[ \$(grep -c ButtonPress '$WORK/xev.log') -gt $presses ]"
}
check "a click beside the hit area falls through to the window below" clickBeside
# Over the hit rectangle the panel takes the mouse; moved off it, the panel lets clicks through again.
xdotool mousemove 350 250 mousemove_relative 1 1
sleep 0.5
check "a click beside the hit area falls through again after the pointer was over it" clickBeside

# Keys typed anywhere are counted through XInput 2 raw events.
xdotool type --delay 150 hello
sleep 1.5

# On the hit rectangle the click reaches the page, which then saves, quits and flushes.
xdotool mousemove 350 250 mousemove_relative 1 1
sleep 0.5
xdotool click 1
waitExit 20
check "app.quit ends the program with status 0 (status $status, 124: still running after 20 s)" test "$status" -eq 0

check "a click on the hit area reaches the page" saved '.pointerDown >= 1'
check "pointer-near events reach the page" saved '.events.onPointerNear >= 1'
check "typed keys reach the page as onKeys (n = $(jq '.keys' "$SAVE" 2> /dev/null))" saved '.keys == 5'
check "events from the system watch reach the page (onVisibility)" saved '.events.onVisibility >= 1'
check "the quit flushes the page with reason quit, and its last save lands on disk" \
  saved '.phase == "flushed" and .flush == "quit" and .saveReply.ok'
check "preferences are stored under XDG_CONFIG_HOME" test -s "$WORK/config/brindlow/defaults.json"
check "BRINDLOW_LOG_STDERR=1 writes the bridge's log lines to stderr" \
  grep -q '^io.github.brindlow.Brindlow: bridge: protocol 5 != 6$' "$WORK/brindlow.err"
check "the page's log message reaches the log" grep -q '^io.github.brindlow.Brindlow: web: e2e page log$' "$WORK/brindlow.err"
check "the subframe's log message does not" sh -c "! grep -q 'e2e frame log' '$WORK/brindlow.err'"

# A second run finds the saved game of the first, and SIGTERM ends it through the page's flush.
first=$(jq -r '.phase' "$SAVE" 2> /dev/null)
launch again
if waitReady; then
  check "the next start hands the page the game the last one saved" \
    saved '(.hello.save | fromjson | .phase) == "flushed" and .hello.saveRecovered == false'
  kill -TERM "$APP"
  waitExit 20
  check "SIGTERM ends the program with status 0 after the flush (status $status)" \
    sh -c "[ $status -eq 0 ] && jq -e '.phase == \"flushed\" and .flush == \"quit\"' '$SAVE' > /dev/null"
else
  fail "the program starts again on the saved game (last phase $first)" "$(tail -3 "$WORK/again.err")"
fi

finish
