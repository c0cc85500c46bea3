# shellcheck shell=bash
# The first start on a fresh desktop: the page's handshake, the pet window from outside, clicks that
# fall through beside the hit area, typing, quit with its flush, and a second start on the saved game.
# shellcheck disable=SC2034 # run.sh reads this line: the window managers to run under
E2E_WMS="openbox xfwm4 mutter marco"
startDesktop

# A window below the pet, to see clicks that fall through it.
xev -geometry 400x400+250+150 -name e2e-below > "$WORK/xev.log" 2>&1 &
PIDS+=($!)
waitFor 10 sh -c 'xwininfo -name e2e-below > /dev/null 2>&1' || fail "window below the pet maps"

# ---- The program

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
check "hello snapshot: window, prefs, permission (granted by the page's perm.request), power, visibility, no save yet" \
  saved '.hello.window.mode == "pet" and .hello.window.frame.w == 200 and (.hello.prefs | has("onTop") and has("ground"))
         and .hello.permission == {input: "notGranted", asked: false} and .permRequest.input == "granted"
         and .hello.power.thermal == "nominal" and .hello.visibility.visible
         and .hello.save == null and .hello.saveRecovered == false'
check "request errors reach the page as rejections (protocol, unknown)" \
  saved '.helloBadProtocol == "protocol" and .unknownType == "unknown"'
check "pet.frame moves the pet (the second hello reports it)" \
  saved '.windowAfterFrame.frame == {x: 300, y: 200, w: 200, h: 200}'
check "a subframe's save.write and pet.frame have no effect (the frame saw: $(jq -c .frame "$SAVE" 2> /dev/null))" \
  saved '(.saveAfterFrame | fromjson | .phase) == "marked" and .frame != {replied: {ok: true}}'

# The pet window as the X server and the window manager see it.
PET=$(petWindow)
if [ -n "$PET" ]; then
  geometry=$(geometryOf "$PET")
  check "the pet window is at 300,200 200x200 on the X server (xwininfo: $geometry)" test "$geometry" = "300,200,200x200"
  # Unmanaged, the window keeps its own stacking above the others and is in no taskbar.
  check "no window manager manages it (override-redirect, not in the client list)" \
    sh -c "xwininfo -id $PET | grep -q 'Override Redirect State: yes' &&
           ! xprop -root _NET_CLIENT_LIST | grep -qi '$(printf '0x%x' "$PET")\b'"
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
