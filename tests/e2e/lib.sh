# Shared harness of the end-to-end suites, sourced by run.sh inside one suite's private session bus.
# A suite gets: WORK (its own folder), SAVE, DISPLAY of its own Xvfb with a window manager and a
# compositor, XDG_* folders under WORK, and the helpers below. It reports with pass/fail/check.
# shellcheck shell=bash

PIDS=()
passed=0
failed=0

pass() { passed=$((passed + 1)); echo "ok - ${SUITE:-}${SUITE:+: }$1"; }
fail() { failed=$((failed + 1)); echo "not ok - ${SUITE:-}${SUITE:+: }$1${2:+: $2}"; }
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
}
trap cleanup EXIT

# Ends the suite: the counts go to run.sh on the last line.
finish() {
  cleanup
  echo "suite-result $passed $failed"
  exit 0
}

# startDesktop [WM]: Xvfb 1280x800, the window manager (default openbox) and a compositor.
startDesktop() {
  local wm=${1:-${E2E_WM:-openbox}}
  Xvfb -displayfd 4 -screen 0 1280x800x24 -nolisten tcp 4> "$WORK/display" 2> "$WORK/xvfb.log" &
  PIDS+=($!)
  if ! waitFor 10 test -s "$WORK/display"; then
    fail "Xvfb starts" "$(tail -3 "$WORK/xvfb.log")"
    finish
  fi
  export DISPLAY=:$(head -1 "$WORK/display")
  # Each with its own compositor where it has one; openbox gets xcompmgr below.
  case $wm in
    none) return 0 ;;
    xfwm4) xfwm4 --compositor=on > "$WORK/wm.log" 2>&1 & ;;
    mutter*) $wm --replace > "$WORK/wm.log" 2>&1 & ;;
    marco) marco --composite --replace > "$WORK/wm.log" 2>&1 & ;;
    *) $wm > "$WORK/wm.log" 2>&1 & ;;
  esac
  PIDS+=($!)
  waitFor 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "$wm starts"
  if [ "$wm" = openbox ]; then
    xcompmgr > "$WORK/xcompmgr.log" 2>&1 &
    PIDS+=($!)
  fi
}

# The program, on the bundle $BRINDLOW_RESOURCES (tests/e2e/bundle unless the suite sets another).
export XDG_DATA_HOME=$WORK/data XDG_CONFIG_HOME=$WORK/config
export BRINDLOW_RESOURCES=${BRINDLOW_RESOURCES:-$ROOT/tests/e2e/bundle} BRINDLOW_LOG_STDERR=1
SAVE=$XDG_DATA_HOME/Brindlow/save.json

launch() {  # launch LOG-NAME [ARGS...]: starts the program, sets APP
  local log=$1; shift
  "$BIN" "$@" > "$WORK/$log.out" 2> "$WORK/$log.err" &
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

# petWindow: the X id of our viewable top level that is W wide (default 200).
petWindow() {
  xdotool search --name '^brindlow$' 2> /dev/null | while read -r w; do
    xwininfo -id "$w" | grep -q 'Map State: IsViewable' && xwininfo -id "$w" | grep -q "Width: ${1:-200}\$" && echo "$w"
  done | head -1
}
# geometryOf ID: "x,y,wxh" of a window in root coordinates.
geometryOf() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width/ {w=$NF} /Height/ {h=$NF} END {print x","y","w"x"h}'
}
