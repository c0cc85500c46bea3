# shellcheck shell=bash
# What the page's engine hands the bridge as text: strings cut inside an emoji (lone surrogates) in a
# post and in requests, a save over the body cap; and a save file a crash left with a tail of zeros
# and a temporary file, recovered from the backup.
startDesktop
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/text

dir=$(dirname "$SAVE")
mkdir -p "$dir"
printf '{"from":"main"}\0\0\0\0\0\0\0\0' > "$SAVE"
printf '{"from":"backup"}' > "$SAVE.bak"
printf '{"half' > "$dir/.save.json.k1LL3d"
printf 'kept' > "$dir/.save.json.tmp"

launch brindlow
if ! waitFor 60 saved '.phase == "ready"'; then
  fail "the page reports" "$(jq -c . "$SAVE" 2> /dev/null || echo 'no report'); $(tail -3 "$WORK/brindlow.err")"
  finish
fi
check "a save file with a tail of zeros is recovered from the backup ($(jq -c .hello "$SAVE"))" \
  saved '.hello.saveRecovered and (.hello.save | fromjson | .from) == "backup"'
check "the temporary file a killed save left is removed, other files stay" \
  sh -c "[ ! -e '$dir/.save.json.k1LL3d' ] && [ -e '$dir/.save.json.tmp' ]"
check "a post with a lone surrogate is read, U+FFFD in its place" \
  grep -q "^io.github.brindlow.Brindlow: web: cut paw $(printf '\xef\xbf\xbd')\$" "$WORK/brindlow.err"
check "the log has no unknown message" sh -c "! grep -q 'post: unknown message' '$WORK/brindlow.err'"
check "a request with a lone surrogate is answered ($(jq -c .status "$SAVE"))" saved '.status.input | type == "string"'
check "a save whose text escapes a lone surrogate is stored and handed back as it stands ($(jq -c .written "$SAVE"))" \
  saved '.written == {ok: true, bytes: 21} and (.reread | contains("\\ud83d"))'
check "a save text with a lone surrogate is stored as U+FFFD, three bytes ($(jq -c .rawCut "$SAVE"))" \
  saved '.rawCut == {ok: true, bytes: 7}'
check "a save over the body cap is answered not ok with its size ($(jq -c .big "$SAVE"))" \
  saved '.big == {ok: false, bytes: 17825792}'
kill -TERM "$APP"
waitExit 20
