# Shared harness of the end-to-end suites, sourced by run.sh inside one suite's private session bus.
# A suite gets: WORK (its own folder), SAVE, DISPLAY of its own Xvfb with a window manager and a
# compositor (WM names it once startDesktop ran), XDG_* folders under WORK, and the helpers below. It reports with pass/fail/check.
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

# ownsSelection NAME: whether a client owns the X selection (WM_S0, _NET_WM_CM_S0, ...).
ownsSelection() {
  python3 - "$1" << 'EOF'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = x.XOpenDisplay(None)
sys.exit(0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, sys.argv[1].encode(), 0)) else 1)
EOF
}
wmReady() { xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id"; }

# startDesktop [WM]: Xvfb 1280x800, a window manager and its compositor; returns once both hold their
# selections (a window mapped before the compositor runs gets no alpha channel). WM is one of
#   openbox   openbox with xcompmgr (the default)
#   xfwm4     xfwm4 with its own compositor
#   mutter    mutter --x11, GNOME's compositing window manager
#   marco     marco with its compositor
#   none      neither
# and defaults to E2E_WM (run.sh sets it for each run of a suite), else openbox.
startDesktop() {
  WM=${1:-${E2E_WM:-openbox}}
  Xvfb -displayfd 4 -screen 0 1280x800x24 -nolisten tcp 4> "$WORK/display" 2> "$WORK/xvfb.log" &
  PIDS+=($!)
  if ! waitFor 10 grep -qx '[0-9]\+' "$WORK/display"; then
    fail "Xvfb starts" "$(tail -3 "$WORK/xvfb.log")"
    finish
  fi
  export DISPLAY=:$(head -1 "$WORK/display")
  # What the bus starts for the window manager (a settings daemon) sees this display and these folders.
  dbus-update-activation-environment DISPLAY XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME 2> /dev/null
  local wm=()
  case $WM in
    openbox) wm=(openbox --sm-disable) ;;
    xfwm4) wm=(xfwm4 --replace --compositor=on --vblank=off --sm-client-disable) ;;
    mutter) wm=(mutter --x11 --replace --sm-disable) ;;
    marco) wm=(marco --replace --composite --sm-disable) ;;
    none) return 0 ;;
    *)
      fail "startDesktop knows the window manager $WM"
      finish
      ;;
  esac
  "${wm[@]}" > "$WORK/wm.log" 2>&1 &
  local wmPid=$!
  PIDS+=("$wmPid")
  if ! waitFor 30 wmReady; then
    fail "$WM starts" "$(alive $wmPid || echo 'it ended: ')$(tail -3 "$WORK/wm.log")"
    finish
  fi
  if [ "$WM" = openbox ]; then
    xcompmgr > "$WORK/xcompmgr.log" 2>&1 &
    PIDS+=($!)
  fi
  waitFor 30 ownsSelection _NET_WM_CM_S0 || fail "$WM runs a compositor" "$(tail -3 "$WORK/wm.log")"
}

# The program, on the bundle $BRINDLOW_RESOURCES (tests/e2e/bundle unless the suite sets another).
export XDG_DATA_HOME=$WORK/data XDG_CONFIG_HOME=$WORK/config XDG_CACHE_HOME=$WORK/cache
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
