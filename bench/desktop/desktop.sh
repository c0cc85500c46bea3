#!/usr/bin/env bash
# One private desktop of the desktop benchmark, run by bench.sh inside its own session bus: Xvfb,
# openbox and xcompmgr, oneko as the yardstick, and each program variant in turn. For each variant
# it writes OUT/<variant>.samples (one line a second, see sample), .frames (when the page moved the
# pet), .mem (smaps_rollup of each process) and .kv (exec -> hello).
#
#   desktop.sh OUT PHASE TYPE SOAK NAME=BIN:BUNDLE...
#   PHASE s of the pet left alone, TYPE s of typing, then SOAK s of both in turns (memory only).
set -u
OUT=$1 PHASE=$2 TYPE=$3 SOAK=$4
shift 4
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
PRELOAD=${BENCH_PRELOAD:-}
PIDS=()
cleanup() { for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2> /dev/null; done; wait 2> /dev/null; }
trap cleanup EXIT
waitFor() {  # waitFor SECONDS COMMAND...
  local tries=$(($1 * 10)); shift
  while [ $tries -gt 0 ]; do "$@" && return 0; sleep 0.1; tries=$((tries - 1)); done
  return 1
}
now_ms() { local t=$EPOCHREALTIME; echo $((${t/./} / 1000)); }

Xvfb -displayfd 4 -screen 0 1280x800x24 -nolisten tcp 4> "$OUT/display" 2> "$OUT/xvfb.log" &
XVFB=$!
PIDS+=("$XVFB")
waitFor 10 test -s "$OUT/display" || { echo "bench: Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -1 "$OUT/display")
export DISPLAY
openbox > "$OUT/wm.log" 2>&1 &
WM=$!
PIDS+=("$WM")
waitFor 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
xcompmgr > "$OUT/xcompmgr.log" 2>&1 &
COMP=$!
PIDS+=("$COMP")
ONEKO_BIN=${ONEKO:-/usr/games/oneko}
env ${PRELOAD:+LD_PRELOAD=$PRELOAD} BENCH_XREPLY_FILE="$OUT/oneko.xreply" "$ONEKO_BIN" > /dev/null 2>&1 &
ONEKO=$!
PIDS+=("$ONEKO")
xdotool mousemove 900 300
export NO_AT_BRIDGE=1

# sample: ms, CPU ticks of host web network oneko desktop, switches of host web network oneko,
# X round trips of host and oneko. One awk and one od a second keep the sampler light.
sample() {
  local counts
  counts=$(od -An -tu8 "$XREPLY" "$OUT/oneko.xreply" 2> /dev/null | tr -s ' \n' '  ')
  awk -v ms="$(now_ms)" -v pids="$APP $WEB $NET $ONEKO $XVFB $WM $COMP" -v counts="$counts" 'BEGIN {
    n = split(pids, pid, " ")
    for (i = 1; i <= n; i++) {
      tick[i] = 0; sw[i] = 0
      if ((getline line < ("/proc/" pid[i] "/stat")) > 0) { sub(/^.*\) /, "", line); split(line, f, " "); tick[i] = f[12] + f[13] }
      close("/proc/" pid[i] "/stat")
      while ((getline line < ("/proc/" pid[i] "/status")) > 0) if (line ~ /ctxt_switches/) { split(line, f, " "); sw[i] += f[2] }
      close("/proc/" pid[i] "/status")
    }
    split(counts, c, " ")
    print ms, tick[1], tick[2], tick[3], tick[4], tick[5] + tick[6] + tick[7], sw[1], sw[2], sw[3], sw[4], c[1] + 0, c[2] + 0
  }'
}
sampleFor() {  # sampleFor SECONDS FILE TAG
  local end=$(($(now_ms) + $1 * 1000))
  while [ "$(now_ms)" -lt $end ]; do echo "$(sample) $3" >> "$2"; sleep 1; done
}
mem() {  # mem NAME PID: rss pss private private-dirty in KiB
  awk -v n="$1" '/^Rss:/ {r=$2} /^Pss:/ {p=$2} /^Private_(Clean|Dirty):/ {v+=$2} /^Private_Dirty:/ {w=$2} END {print n, r+0, p+0, v+0, w+0}' "/proc/$2/smaps_rollup" 2> /dev/null
}
memAll() { { mem host "$APP"; mem web "$WEB"; mem network "$NET"; mem oneko "$ONEKO"; } }
typeFor() {  # typeFor SECONDS: about 10 keys a second into whatever has the focus
  local end=$(($(now_ms) + $1 * 1000))
  while [ "$(now_ms)" -lt $end ]; do xdotool type --delay 100 "the quick brown fox jumps " 2> /dev/null; done
}
# The first process below PID (at any depth: the web processes may sit in a sandbox) whose name has TEXT.
childNamed() {  # childNamed PID TEXT
  local c found
  for c in $(pgrep -P "$1"); do
    grep -q "$2" "/proc/$c/comm" 2> /dev/null && echo "$c" && return
    found=$(childNamed "$c" "$2") && [ -n "$found" ] && echo "$found" && return
  done
  return 1
}
report() { jq -e '.bench.helloAt' "$SAVE" > /dev/null 2>&1; }

for spec in "$@"; do
  name=${spec%%=*} rest=${spec#*=}
  bin=${rest%%:*} bundle=${rest#*:}
  work=$OUT/$name
  mkdir -p "$work"
  # The variant's bundle with the reporting script in front of the page's own.
  cp -rL "$bundle" "$work/bundle"
  cp "$HERE/bench.js" "$work/bundle/web/bench.js"
  sed -i 's|<head>|<head>\n  <script src="bench.js"></script>|' "$work/bundle/web/index.html"
  export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
  SAVE=$XDG_DATA_HOME/Brindlow/save.json
  # The user said yes to key counting before (the tray menu's item records it in this file).
  mkdir -p "$XDG_CONFIG_HOME/brindlow" && : > "$XDG_CONFIG_HOME/brindlow/input-consent"
  XREPLY=$work/xreply
  started=$(now_ms)
  env ${PRELOAD:+LD_PRELOAD=$PRELOAD} BENCH_XREPLY_FILE="$XREPLY" BRINDLOW_RESOURCES="$work/bundle" \
    "$bin" > "$work/out.log" 2> "$work/err.log" &
  APP=$!
  if ! waitFor 30 report; then
    echo "bench: $name did not answer the hello ($(tail -2 "$work/err.log"))" >&2
    kill "$APP"
    continue
  fi
  echo "hello_ms_host $(($(jq '.bench.helloAt' "$SAVE") - started))" > "$OUT/$name.kv"
  waitFor 10 sh -c "pgrep -P $APP > /dev/null"
  sleep 5  # the web process settles after its first paint
  WEB=$(childNamed "$APP" WebProces) NET=$(childNamed "$APP" NetworkPr)
  : "${WEB:=0}" "${NET:=0}"
  sampleFor "$PHASE" "$OUT/$name.samples" still
  memAll > "$OUT/$name.mem"
  # A key ends the still phase: the page writes its report of the steps.
  rm -f "$SAVE"
  xdotool key x
  waitFor 10 sh -c "jq -e '.bench.frames' '$SAVE' > /dev/null 2>&1" || echo "bench: $name wrote no report of its steps" >&2
  jq -r '.bench.frames[]' "$SAVE" > "$OUT/$name.frames" 2> /dev/null
  sleep 4
  typeFor "$TYPE" &
  typer=$!
  sampleFor "$TYPE" "$OUT/$name.samples" typing
  wait $typer
  # The soak: the pet alone and typing in turns; memory every 30 s.
  if [ "$SOAK" -gt 0 ]; then
    soakEnd=$(($(now_ms) + SOAK * 1000))
    : > "$OUT/$name.soak"
    while [ "$(now_ms)" -lt $soakEnd ]; do
      t=$(now_ms)
      memAll | awk -v t="$t" '{printf "%s %s %s %s %s\n", t, $1, $2, $3, $4}' >> "$OUT/$name.soak"
      if [ $(((t - started) / 30000 % 3)) -eq 2 ]; then typeFor 30; else sleep 30; fi
    done
  fi
  kill "$APP"
  waitFor 10 sh -c "! kill -0 $APP 2> /dev/null"
  kill -9 "$APP" 2> /dev/null
  wait "$APP" 2> /dev/null
done
