# shellcheck shell=bash
# The bundled page (web/) on the real program: it walks off its starting place on its own (seen on
# the screen), counts typed keys, grows land and saves the game through the flush when the program ends.
export BRINDLOW_RESOURCES=${E2E_PAGE_BUNDLE:-$ROOT/build/share/brindlow}
startDesktop
# The user said yes to key counting before (the tray menu's item records it in this file).
mkdir -p "$XDG_CONFIG_HOME/brindlow" && : > "$XDG_CONFIG_HOME/brindlow/input-consent"
launch brindlow

# The page writes nothing before its flush; a mapped pet window (narrow or as wide as the screen)
# means the hello went out.
petShown() { [ -n "$(petWindow 200)$(petWindow 1280)" ] || appGone; }
if ! waitFor 30 petShown || appGone; then
  fail "the bundled page's pet window maps" "$(tail -3 "$WORK/brindlow.err")"
  finish
fi
# The left edge of the pet's orange body on a row of the screen through its middle, or nothing.
bodyLeft() {
  import -window root -crop 1280x1+0+740 -depth 8 txt:- 2> /dev/null |
    awk -F'[^0-9]+' '/^[0-9]/ && $3 > 200 && $4 > 80 && $4 < 200 && $5 < 120 { print $1; exit }'
}
# Until SECONDS have passed (a screen grab takes a while): COMMAND...
within() {
  local end=$((SECONDS + $1)); shift
  while [ $SECONDS -lt $end ]; do "$@" && return 0; sleep 0.5; done
  return 1
}
start=""
bodyFound() { start=$(bodyLeft); [ -n "$start" ]; }
within 10 bodyFound
# The first walk starts at once, the next within 18 s if the window was hidden at the start.
walkedAway() { local x; x=$(bodyLeft); [ -n "$x" ] && [ $((x > start ? x - start : start - x)) -ge 30 ]; }
if [ -n "$start" ]; then
  check "the pet walks on its own: its body leaves x = $start on the screen" within 25 walkedAway
else
  fail "the pet's body shows on the screen" "nothing orange on the row y = 740"
fi
xdotool type --delay 60 "the pet grows land while you type"  # 33 keys: three levels
sleep 2
kill -TERM "$APP"
waitExit 20
check "SIGTERM ends the program with status 0 after the page's flush (status $status)" test "$status" -eq 0
check "the page saved the typed keys (keys: $(jq '.keys' "$SAVE" 2> /dev/null))" saved '.keys == 33 and .todayKeys == 33'
check "the typing grew land under the pet (levels: $(jq -c '.levels | map_values(add)' "$SAVE" 2> /dev/null))" \
  saved '[.levels[] | add] | add >= 3'
check "the page saved where the pet stands (x: $(jq '.x' "$SAVE" 2> /dev/null))" saved '.x | type == "number"'
