# shellcheck shell=bash
# Keys are counted only after the user's yes ("perm.request"): a fresh start counts nothing, the yes
# starts the counting, a restart keeps it and deleting the file that holds it withdraws it.
startDesktop
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/consent
CONSENT=$XDG_CONFIG_HOME/brindlow/input-consent

# pressPet PHASE: a press on the pet's hit area, after which the page saves PHASE.
pressPet() {
  xdotool mousemove 350 250 mousemove_relative 1 1
  sleep 0.5
  xdotool click 1
  waitFor 10 saved ".phase == \"$1\""
}
typeKeys() {
  xdotool type --delay 150 "$1"
  sleep 1.5  # a batch is flushed 0.1 s (1 s while hidden) after its first key
}

launch fresh
if ! waitReady; then
  fail "the page reaches its ready phase" "$(tail -3 "$WORK/fresh.err")"
  finish
fi
check "a fresh start reports listen access notGranted, never asked ($(jq -c .hello.permission "$SAVE"))" \
  saved '.hello.permission == {input: "notGranted", asked: false}'
check "no consent file before the yes" test ! -e "$CONSENT"
typeKeys hello
if pressPet click1; then
  check "keys typed before the yes send no onKeys" saved '.clicks[0].onKeys == 0 and .clicks[0].keys == 0'
  check "perm.request answers granted and stores the yes in $CONSENT" \
    sh -c "jq -e '.clicks[0].request == {input: \"granted\", asked: true}' '$SAVE' > /dev/null && test -s '$CONSENT'"
else
  fail "a press on the pet reaches the page" "$(jq -c . "$SAVE")"
fi
sleep 2.5  # the permission's next poll (2 s) reports the grant, which starts the counter
typeKeys hello
if pressPet click2; then
  check "after perm.request typing sends onKeys (keys $(jq '.clicks[1].keys' "$SAVE"))" \
    saved '.clicks[1].keys == 5 and .clicks[1].onKeys >= 1'
  check "the page hears of the grant (onPermission)" saved '.permissions | any(.input == "granted")'
else
  fail "a second press on the pet reaches the page"
fi
kill -TERM "$APP"
waitExit 20

launch again
if waitReady; then
  check "a restart keeps the yes ($(jq -c .hello.permission "$SAVE"))" \
    saved '.hello.permission == {input: "granted", asked: true}'
  typeKeys abc
  pressPet click1 && check "keys are counted from the start (keys $(jq '.clicks[0].keys' "$SAVE"))" \
    saved '.clicks[0].keys == 3'
  rm -f "$CONSENT"
  sleep 1
  typeKeys abc
  pressPet click2 && check "deleting the consent file withdraws it: later keys are not counted (keys $(jq '.clicks[1].keys' "$SAVE"))" \
    saved '.clicks[1].keys == 3'
  kill -TERM "$APP"
  waitExit 20
else
  fail "the program starts again" "$(tail -3 "$WORK/again.err")"
fi
