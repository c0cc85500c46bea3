# shellcheck shell=bash
# The tray item is seen where the desktop has a StatusNotifier host and where it has only an XEmbed
# tray, so the taskbar-entry fallback stays off in both; with neither it switches on.
startDesktop
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/tray
DEFAULTS=$XDG_CONFIG_HOME/brindlow/defaults.json
dockIconOn() { [ -f "$DEFAULTS" ] && jq -e '."prefs.dockIcon" == true' "$DEFAULTS" > /dev/null 2>&1; }
noDockIcon() { ! dockIconOn; }
# The taskbar entry is a managed window of its own, titled "Brindlow".
taskbarEntry() {
  for w in $(xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*'); do
    xprop -id "$w" WM_NAME 2> /dev/null | grep -q '= "Brindlow"$' && return 0
  done
  return 1
}
noTaskbarEntry() { ! taskbarEntry; }

# startApp NAME: launches and waits for the page; the fallback check runs 4 s after the start.
startApp() {
  launch "$1"
  if ! waitReady; then
    fail "$1: the page reaches its ready phase" "$(tail -3 "$WORK/$1.err")"
    finish
  fi
}
stopApp() {
  kill -TERM "$APP"
  waitExit 20
  rm -f "$SAVE"
}

# ---- A StatusNotifierWatcher stand-in on the session bus
/usr/bin/python3 "$ROOT/tests/e2e/bundles/tray/watcher.py" "$WORK/items" > "$WORK/watcher.log" 2>&1 &
WATCHER=$!
PIDS+=($WATCHER)
waitFor 10 test -f "$WORK/items.owned" || fail "the watcher stand-in owns its name" "$(tail -3 "$WORK/watcher.log")"
startApp watched
if waitFor 10 test -s "$WORK/items"; then
  read -r NAME OBJ < "$WORK/items"
  pass "the item registers with the watcher ($NAME $OBJ)"
  MENU=$(gdbus call --session --dest "$NAME" --object-path "$OBJ" \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Menu | sed -n "s/.*objectpath '\([^']*\)'.*/\1/p")
  menuHolds() {
    gdbus call --session --dest "$NAME" --object-path "$MENU" --method com.canonical.dbusmenu.GetLayout -- 0 -1 '[]' \
      > "$WORK/layout" 2>&1 && grep -q "Tray Tester · Lv 4" "$WORK/layout" && grep -q "Today: 42 keys · 7 cells" "$WORK/layout"
  }
  check "its exported menu ($MENU) holds the page's status lines" waitFor 10 menuHolds
else
  fail "the item registers with the watcher" "$(tail -3 "$WORK/watcher.log")"
fi
sleep 5
check "registered with a host, no taskbar entry (prefs.dockIcon stays false)" noDockIcon
check "and no taskbar entry window" noTaskbarEntry
stopApp
kill "$WATCHER"
wait "$WATCHER" 2> /dev/null

# ---- Only an XEmbed tray
trayer --edge top --align right --widthtype request --height 24 --SetDockType true --expand false \
  > "$WORK/trayer.log" 2>&1 &
TRAYER=$!
PIDS+=($TRAYER)
waitFor 10 sh -c 'xdotool search --class trayer > /dev/null 2>&1' || fail "trayer starts" "$(tail -3 "$WORK/trayer.log")"
startApp embedded
embeddedInTray() {
  for w in $(xdotool search --class trayer 2> /dev/null); do
    xwininfo -id "$w" -tree 2> /dev/null | grep -qi brindlow && return 0
  done
  return 1
}
check "the tray embeds the icon" waitFor 10 embeddedInTray
sleep 5
check "embedded in a tray, no taskbar entry (prefs.dockIcon stays false)" noDockIcon
check "no taskbar entry window is mapped" noTaskbarEntry
stopApp
kill "$TRAYER"
wait "$TRAYER" 2> /dev/null

# ---- Neither: the item cannot be seen, so the taskbar entry switches on once
startApp bare
check "with neither a host nor a tray the taskbar entry switches on after 4 s" waitFor 8 dockIconOn
check "and its taskbar entry window appears" waitFor 5 taskbarEntry
stopApp
