# shellcheck shell=bash
# Launching the program again while it runs: the new instance asks the running one, through the
# session bus, to reopen (a hidden pet shows again, the page is asked for its settings) and leaves.
# Restoring the taskbar entry is the same reopen. The update check from the tray menu, with no
# software centre to take it, says so in the log.
# shellcheck disable=SC2034 # run.sh reads this line: the window managers to run under
E2E_WMS="openbox xfwm4 mutter marco"

export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/reopen
startDesktop
launch brindlow
if ! waitReady; then
  fail "the page reaches its ready phase" "$(jq -c . "$SAVE" 2> /dev/null || echo 'no save file'); $(tail -3 "$WORK/brindlow.err")"
  finish
fi

settings() { jq '[.menus[] | select(. == "settings")] | length' "$SAVE" 2> /dev/null || echo 0; }
settingsAsked() { [ "$(settings)" -ge "$1" ]; }
# secondLaunch NAME: runs a second instance to its end; sets second to its exit status (124: still
# running after 20 s).
secondLaunch() {
  timeout 20 "$BIN" > "$WORK/$1.out" 2> "$WORK/$1.err"
  second=$?
}

secondLaunch second
check "a second launch exits with status 0 (status $second) and the first keeps running" \
  sh -c "[ $second -eq 0 ] && kill -0 $APP"
check "the second instance says it leaves" grep -q 'already running, quitting$' "$WORK/second.err"
waitFor 10 settingsAsked 1
sleep 1  # a second request would come at once
check "the running page is asked once for its settings (menus: $(jq -c .menus "$SAVE" 2> /dev/null))" \
  test "$(settings)" -eq 1

# The tray menu, as a panel reads it from the bus (the indicator's exported menu).
MENU_PATH=/org/ayatana/NotificationItem/io_github_brindlow_Brindlow/Menu
menuItem() {  # menuItem LABEL-PATTERN: the id of the tray menu item whose label matches
  gdbus call --session --dest io.github.brindlow.Brindlow --object-path "$MENU_PATH" \
    --method com.canonical.dbusmenu.GetLayout -- 0 -1 '["label"]' 2> /dev/null |
    grep -oE "\([0-9]+, \{'label': <'[^']*'>" | grep -E "'($1)" | head -1 | sed -E 's/^\(([0-9]+),.*/\1/'
}
menuClick() {  # menuClick LABEL-PATTERN
  local id
  id=$(menuItem "$1")
  [ -n "$id" ] && gdbus call --session --dest io.github.brindlow.Brindlow --object-path "$MENU_PATH" \
    --method com.canonical.dbusmenu.Event -- "$id" clicked '<"">' 0 > /dev/null
}
petShown() { [ -n "$(petWindow)" ]; }
petGone() { [ -z "$(petWindow)" ]; }

if waitFor 10 petShown && menuClick 'Hide for an Hour|menu.hideHour' && waitFor 10 petGone; then
  pass "the tray menu hides the pet"
  secondLaunch third
  check "a second launch while the pet is hidden exits with status 0 (status $second)" \
    sh -c "[ $second -eq 0 ] && kill -0 $APP"
  check "and shows the pet again" waitFor 10 petShown
  waitFor 10 settingsAsked 2
  sleep 1
  check "and the page is asked once more for its settings (menus: $(jq -c .menus "$SAVE" 2> /dev/null))" \
    test "$(settings)" -eq 2
else
  fail "the tray menu hides the pet" "menu item: '$(menuItem 'Hide for an Hour|menu.hideHour')', pet: '$(petWindow)'"
fi

# With no tray to show the item, the taskbar entry comes 4 s after the start (the Dock-icon fallback);
# restoring it from the taskbar is the same reopen, and it goes back to the taskbar.
taskbarEntry() {
  xdotool search --name '^Brindlow$' 2> /dev/null | while read -r w; do
    xprop -id "$w" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN && echo "$w"
  done | head -1
}
entryShown() { [ -n "$(taskbarEntry)" ]; }
if waitFor 10 entryShown; then
  before=$(settings)
  xdotool windowactivate "$(taskbarEntry)" 2> /dev/null
  waitFor 10 settingsAsked $((before + 1))
  sleep 1
  check "restoring the taskbar entry asks the page once for its settings (menus: $(jq -c .menus "$SAVE" 2> /dev/null))" \
    test "$(settings)" -eq $((before + 1))
  check "and the entry goes back to the taskbar" waitFor 5 entryShown
else
  fail "the taskbar entry is shown when there is no tray" "$(xwininfo -root -tree | grep -i brindlow | head -5)"
fi

if menuClick 'Check for Updates|menu.update'; then
  check "an update check with nothing to take appstream:// says so in the log" \
    waitFor 10 grep -q '^io.github.brindlow.Brindlow: update: no program opens appstream://io.github.brindlow.Brindlow$' \
    "$WORK/brindlow.err"
else
  fail "the tray menu has the update check" "$(menuItem 'Check for Updates|menu.update')"
fi

kill -TERM "$APP"
waitExit 20
check "the first instance still quits through the page's flush (status $status)" \
  sh -c "[ $status -eq 0 ] && jq -e '.phase == \"flushed\"' '$SAVE' > /dev/null"
