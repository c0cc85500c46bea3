# shellcheck shell=bash
# Only the page's main frame is heard. Frames of every kind try "pet.frame", "log" and "save.write"
# through their own window.webkit: no source, about:blank, filled by document.write, nested in another
# frame, srcdoc, a sandboxed srcdoc and a data: document (other origins), a document of the page's own
# origin. The pet stays where the main frame put it, the save file keeps the main frame's text, no
# line is logged, and every request that was made is answered "origin". Frames that load a document
# of their own are refused before they run (navigation policy, response refusal); the others run and
# meet the frame guard.
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/frames
startDesktop
launch brindlow

if ! waitReady; then
  fail "the frames page reaches its ready phase" "$(jq -c . "$SAVE" 2> /dev/null || echo 'no save file'); $(tail -3 "$WORK/brindlow.err")"
  finish
fi

check "the main frame is heard: hello, log line, pet.frame and save.write" \
  sh -c "jq -e '.helloProtocol == 6 and .saveReply.ok' '$SAVE' > /dev/null &&
         grep -q '^io.github.brindlow.Brindlow: web: e2e main frame log$' '$WORK/brindlow.err'"

for kind in nosrc blank written nested; do
  seen=$(jq -c ".frames.$kind | {origin, save, hello, chain, afterTampering}" "$SAVE" 2> /dev/null)
  check "a frame ($kind) that runs has its requests answered \"origin\" and no way to the real handlers ($seen)" \
    saved ".frames.$kind | .save.error == \"origin\" and .hello.error == \"origin\"
           and all(.chain[]; . == \"no handlers\" or .error == \"origin\") and .afterTampering.error == \"origin\""
done
# Documents loaded into a subframe are refused before they run: nothing to report, nothing done.
for kind in srcdoc sandboxed data app; do
  seen=$(jq -c ".frames.$kind // \"no report\"" "$SAVE" 2> /dev/null)
  check "a frame ($kind) with a document of its own is answered \"origin\" or never runs ($seen)" \
    saved ".frames.$kind == null or (.frames.$kind.save.error == \"origin\")"
done

check "the save file still holds the main frame's text" \
  saved '(.saveAfterFrames | fromjson | .phase) == "marked" and .saveReply.ok'
check "no frame's pet.frame moved the pet (hello window)" saved '.windowAfterFrames.frame == {x: 300, y: 200, w: 200, h: 200}'
PET=$(petWindow)
geometry=$([ -n "$PET" ] && geometryOf "$PET")
check "no frame's pet.frame moved the pet (xwininfo: $geometry)" test "$geometry" = "300,200,200x200"
check "no frame's log reached the log" sh -c "! grep -q 'e2e frame log' '$WORK/brindlow.err'"
check "the frame guard ran and closed every frame (no warning)" sh -c "! grep -q 'frame guard' '$WORK/brindlow.err'"
check "the page saw no error of its own ($(jq -c .errors "$SAVE" 2> /dev/null))" saved '.errors == []'

kill -TERM "$APP"
waitExit 20
check "SIGTERM ends the program with status 0 (status $status)" test "$status" -eq 0
