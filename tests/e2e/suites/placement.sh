# shellcheck shell=bash
# Where the pet window lands on a managed desktop: a walk along the screen bottom in the wide window,
# frames off screen, refused frames, someone else moving the window, panel mode with the keyboard and
# back, and a focused full-screen window with "hide on full screen" on and off.
# shellcheck disable=SC2034 # run.sh reads this line: the window managers to run under
E2E_WMS="openbox xfwm4 mutter marco"
startDesktop
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/placement

# The X round trips of the program, counted by a preloaded wrapper of libxcb's reply waits.
tools=$ROOT/tests/e2e/tools
cc -shared -fPIC -O2 -o "$WORK/xroundtrips.so" "$tools/xroundtrips.c" -ldl -lpthread &&
  cc -O2 -o "$WORK/fullscreen" "$tools/fullscreen.c" -lX11 || fail "the test tools build"

phase() { saved ".phase == \"$1\""; }
waitPhase() {
  waitFor 30 phase "$1" && return 0
  fail "the page reaches phase $1" "at $(jq -r .phase "$SAVE" 2> /dev/null)"
  finish
}
goOn() { xdotool key x; }
# ourWindow W H: the X id of our viewable window of that size.
ourWindow() {
  xdotool search --name '^brindlow$' 2> /dev/null | while read -r w; do
    xwininfo -id "$w" | grep -q 'Map State: IsViewable' && xwininfo -id "$w" | grep -q "Width: $1\$" &&
      xwininfo -id "$w" | grep -q "Height: $2\$" && echo "$w"
  done | head -1
}
# geometryIs W H "x,y,WxH": our window of that size is there (it may take a moment).
at() { local w; w=$(ourWindow "$1" "$2") && [ -n "$w" ] && [ "$(geometryOf "$w")" = "$3" ]; }
where() { for w in $(xdotool search --name '^brindlow$' 2> /dev/null); do
  xwininfo -id "$w" | grep -q IsViewable && printf '%s ' "$(geometryOf "$w")"; done; }
pixel() { convert "$WORK/shot.png" -format "%[pixel:p{$1,$2}]" info: 2> /dev/null; }
shoot() { import -window root "$WORK/$1.png" 2> /dev/null && cp "$WORK/$1.png" "$WORK/shot.png"; }
# pixel reads the last shot.
orange() { case $(pixel "$1" "$2") in "srgb(230,99,27)" | "rgb(230,99,27)") return 0 ;; *) return 1 ;; esac; }
roundTrips() { cat "$WORK/rt.$APP" 2> /dev/null || echo 0; }

# The pointer far from the walk, so no pointer-near report (which reads the pointer) mixes in.
xdotool mousemove 5 5
export LD_PRELOAD=$WORK/xroundtrips.so XROUNDTRIPS=$WORK/rt
launch brindlow
unset LD_PRELOAD XROUNDTRIPS
if ! waitReady; then
  fail "the page reaches its ready phase" "$(tail -3 "$WORK/brindlow.err")"
  finish
fi
y=$(jq .y "$SAVE")
check "the screen's visible bottom is the Xvfb screen's (pet y $y)" test "$y" = 616
goOn

# ---- The walk along the bottom
waitPhase paused
shoot paused
check "walking, the window is the wide one at (-100, 584, 1480, 232) (seen: $(where))" at 1480 232 "-100,584,1480x232"
check "the pet is drawn at its frame (700, 616) inside the wide window" \
  sh -c "$(declare -f pixel orange); WORK='$WORK'; orange 701 617 && orange 899 799 && ! orange 698 700 && ! orange 902 700"
goOn
waitPhase walking
steps0=$(jq .steps "$SAVE")
sleep 0.3
before=$(roundTrips) sampled=$(date +%s.%N)
sleep 1.5
after=$(roundTrips)
[ -n "${XROUNDTRIPS_TRACE:-}" ] && echo "# placement: round trips sampled from $sampled to $(date +%s.%N)"
check "still wide while walking on (seen: $(where))" at 1480 232 "-100,584,1480x232"
goOn
waitPhase walked
steps=$(( $(jq .steps "$SAVE") - steps0 ))
# 1.5 s of walking is about 90 steps; a round trip per step (a pointer query, a resize of the
# window) shows as 90 or more. What is left is painting's own occasional sync.
trips=$((after - before))
echo "# placement: $trips X round trips in 1.5 s of walking wide (about 90 steps; the page walked $steps steps in all)"
check "no X round trip per placement step while the pet walks in the wide window ($trips in 1.5 s)" test "$trips" -lt 9
sleep 2.5
check "2 s after the last step the window narrows to the pet at (400, 616) (seen: $(where))" at 200 200 "400,616,200x200"
goOn

# ---- Off screen
waitPhase far
check "a frame at x = 1680 stays there (seen: $(where))" waitFor 3 at 200 200 "1680,300,200x200"
goOn
waitPhase partly
check "a frame partly off the bottom left stays there (seen: $(where))" waitFor 3 at 200 200 "-60,650,200x200"
goOn

# ---- Refused frames, and someone else moving the window
waitPhase bad
check "refused frames never reach the window (seen: $(where))" at 200 200 "-60,650,200x200"
check "a refused frame is logged once" test "$(grep -c 'pet.frame: wrong size or value, ignored' "$WORK/brindlow.err")" -eq 1
check "no move by someone else was seen so far" sh -c "! grep -q 'window: moved or resized' '$WORK/brindlow.err'"
pet=$(ourWindow 200 200)
xdotool windowmove "$pet" 500 100 windowsize "$pet" 300 250 2> /dev/null
sleep 0.8
goOn
waitPhase putBack
check "moved and resized behind our back, the window is put back on the next placement (seen: $(where))" \
  waitFor 3 at 200 200 "-60,650,200x200"
check "the move is never adopted as the pet's frame ($(jq -c .movedWindow.frame "$SAVE"))" \
  saved '.movedWindow.frame == {x: -60, y: 650, w: 200, h: 200}'
check "the move is logged once" test "$(grep -c 'window: moved or resized by someone else, put back' "$WORK/brindlow.err")" -eq 1
goOn

# ---- Panel mode and back
waitPhase panel
check "panel mode centres the 760 x 540 panel (seen: $(where))" waitFor 3 at 760 540 "260,130,760x540"
xdotool type --delay 80 brindlow
check "panel mode takes the keyboard: typed text reaches the page's text field" \
  waitFor 5 saved '.typed == "brindlow"'
waitPhase pet
check "back in pet mode the window is 200 x 200 at the page's frame (seen: $(where))" waitFor 3 at 200 200 "300,300,200x200"
check "the page hears the pet's frame ($(jq -c .petWindow "$SAVE"))" \
  saved '.petWindow.mode == "pet" and .petWindow.frame == {x: 300, y: 300, w: 200, h: 200}'
pet=$(ourWindow 200 200)
hex=$(printf '0x%x' "${pet:-0}")
check "the window is in no taskbar, pager or switcher (the window manager's client list)" \
  sh -c "! xprop -root _NET_CLIENT_LIST _NET_CLIENT_LIST_STACKING | grep -qi '$hex\b'"
if xdotool set_desktop 1 2> /dev/null && sleep 0.5 && [ "$(xdotool get_desktop)" = 1 ]; then
  check "on another workspace the pet is still there (seen: $(where))" at 200 200 "300,300,200x200"
  xdotool set_desktop 0
else
  echo "# placement: ${E2E_WM:-openbox} has a single workspace"
fi
check "pet mode gives the keyboard back" test "$(xdotool getwindowfocus 2> /dev/null)" != "$pet"
xdotool mousemove 400 400 mousemove_relative 1 1
sleep 0.5
xdotool click 1
check "a click on the pet reaches the page" waitFor 3 saved '.pointerDown >= 1'
goOn

# ---- A focused full-screen window
waitPhase fullscreenOn
"$WORK/fullscreen" &
PIDS+=($!)
fsPid=$!
waitFor 10 sh -c 'xwininfo -name e2e-fullscreen 2> /dev/null | grep -q "Width: 1280"' || fail "the full-screen window maps"
sleep 1
check "with hide on full screen, the pet steps out of a focused full-screen window (seen: $(where))" \
  waitFor 3 sh -c "$(declare -f ourWindow); [ -z \"\$(ourWindow 200 200)\" ]"
goOn
waitPhase fullscreenOff
sleep 0.5
shoot fullscreen
check "with it off, the pet stays above the full-screen window (seen: $(where); pixel $(pixel 400 400))" \
  sh -c "$(declare -f pixel orange); WORK='$WORK'; orange 400 400 && orange 301 301 && [ \"\$(pixel 290 400)\" != \"\$(pixel 400 400)\" ]"
kill "$fsPid" 2> /dev/null
goOn
waitPhase done
kill -TERM "$APP"
waitExit 20
check "the program ends with status 0 (status $status)" test "$status" -eq 0
