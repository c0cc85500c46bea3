#!/usr/bin/env bash
# The desktop benchmark: the real program with its bundled page and oneko (Debian's tiny X11 pet)
# on the same private headless desktop (Xvfb + openbox + xcompmgr, its own session bus). Each run
# measures every variant in turn on one desktop; the table holds the medians of the runs.
#
#   bench/desktop/bench.sh [NAME=BIN:BUNDLE...]   default: after=build/brindlow:build/share/brindlow
#   BENCH_RUNS=3 BENCH_PHASE=90 BENCH_TYPE=30     runs, seconds left alone, seconds of typing
#   BENCH_SOAK=0                                  minutes of the soak (the pet alone and typing in turns)
#   BENCH_PARALLEL=1                              each variant on its own desktop at once (long soaks)
#   BENCH_RESULTS=bench/desktop/RESULTS.md        where the table goes ("-" for nowhere)
#
# CPU is read from /proc/PID/stat, switches from /proc/PID/status, memory from smaps_rollup. Private
# memory counts the clean library pages that no other process maps at that moment, so it falls by
# ~15 MiB for the host while any other GTK and WebKit program runs on the machine; private dirty (the
# heap and the pages written, relocations included) does not depend on the neighbours. The
# page's copy in each run's bundle reports when the hello was answered and when it moved the pet
# (bench.js); a second of the phase left alone counts as walking with 5 steps or more in it and at
# rest with none in it and its neighbours. X round trips are the host's calls of Xlib's _XReply,
# counted by an LD_PRELOAD library (xreply_count.c, built here).
set -u
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
HERE=$ROOT/bench/desktop
RUNS=${BENCH_RUNS:-3} PHASE=${BENCH_PHASE:-90} TYPE=${BENCH_TYPE:-30} SOAK=${BENCH_SOAK:-0}
RESULTS=${BENCH_RESULTS:-$HERE/RESULTS.md}
variants=("$@")
[ ${#variants[@]} -gt 0 ] || variants=("after=$ROOT/build/brindlow:$ROOT/build/share/brindlow")
for tool in Xvfb openbox xcompmgr xdotool xprop jq dbus-run-session /usr/games/oneko; do
  command -v "$tool" > /dev/null || { echo "bench: missing $tool (make bench-desktop installs it)"; exit 1; }
done
names=()
for v in "${variants[@]}"; do
  bin=${v#*=}; bin=${bin%%:*}
  [ -x "$bin" ] || { echo "bench: no program at $bin"; exit 1; }
  names+=("${v%%=*}")
done

# BENCH_REUSE=<work folder of an earlier run> makes the table again from its samples.
export NO_AT_BRIDGE=1  # as in the e2e suites: no accessibility bridge on the private bus
WORK=${BENCH_REUSE:-$(mktemp -d /tmp/brindlow-bench.XXXXXX)}
export BENCH_PRELOAD=$WORK/xreply_count.so
cc -O2 -Wall -shared -fPIC -o "$BENCH_PRELOAD" "$HERE/xreply_count.c" -ldl || { echo "bench: cannot build the X round-trip counter"; exit 1; }
echo "bench: ${#names[@]} variant(s) (${names[*]}), $RUNS run(s) of ${PHASE} s alone + ${TYPE} s typing, soak ${SOAK} min; work in $WORK"
for ((run = 1; run <= RUNS; run++)); do
  [ -n "${BENCH_REUSE:-}" ] && break
  # Alternate the order so that neither variant always comes first on a fresh desktop.
  order=("${variants[@]}")
  if [ $((run % 2)) -eq 0 ]; then
    order=(); for ((i = ${#variants[@]} - 1; i >= 0; i--)); do order+=("${variants[i]}"); done
  fi
  mkdir -p "$WORK/run$run"
  if [ -n "${BENCH_PARALLEL:-}" ]; then
    # Each variant on a desktop of its own at the same time (for long soaks); the figures join the run.
    for v in "${order[@]}"; do
      n=${v%%=*}
      mkdir -p "$WORK/run$run/$n.desktop"
      dbus-run-session -- "$HERE/desktop.sh" "$WORK/run$run/$n.desktop" "$PHASE" "$TYPE" $((SOAK * 60)) "$v" \
        > "$WORK/run$run/$n.desktop/session.log" 2>&1 &
    done
    wait
    for n in "${names[@]}"; do
      for f in "$WORK/run$run/$n.desktop/$n".*; do [ -e "$f" ] && ln -sf "$f" "$WORK/run$run/"; done
      grep '^bench:' "$WORK/run$run/$n.desktop/session.log"
    done
  else
    dbus-run-session -- "$HERE/desktop.sh" "$WORK/run$run" "$PHASE" "$TYPE" $((SOAK * 60)) "${order[@]}" \
      > "$WORK/run$run/session.log" 2>&1
    grep '^bench:' "$WORK/run$run/session.log"
  fi
  echo "bench: run $run of $RUNS done"
done

# One run of one variant: key value lines.
analyse() {  # analyse DIR NAME
  local d=$1 n=$2
  cat "$d/$n.kv" 2> /dev/null
  awk -v framesFile="$d/$n.frames" '
    BEGIN { nf = 0; while ((getline f < framesFile) > 0) frame[nf++] = f }
    function framesIn(a, b,   c, i) { c = 0; for (i = 0; i < nf; i++) if (frame[i] > a && frame[i] <= b) c++; return c }
    { tag[NR] = $13; for (k = 1; k <= 12; k++) v[NR, k] = $k }
    END {
      for (i = 2; i <= NR; i++) if (tag[i] == "still" && tag[i - 1] == "still") steps[i] = framesIn(v[i - 1, 1], v[i, 1])
      for (i = 2; i <= NR; i++) {
        if (tag[i] != tag[i - 1]) continue
        dt = v[i, 1] - v[i - 1, 1]
        if (tag[i] == "typing") cls = "type"
        else if (steps[i] >= dt / 200) cls = "walk"
        else if (steps[i] == 0 && (i - 1 < 2 || steps[i - 1] == 0) && (!((i + 1) in steps) || steps[i + 1] == 0)) cls = "rest"
        else cls = ""
        if (tag[i] == "still") { all["ms"] += dt; for (k = 2; k <= 12; k++) all[k] += v[i, k] - v[i - 1, k] }
        if (cls == "") continue
        ms[cls] += dt; nsteps[cls] += steps[i]
        for (k = 2; k <= 12; k++) d[cls, k] += v[i, k] - v[i - 1, k]
      }
      split("host web network oneko desktop", proc, " ")
      for (c in ms) {
        if (ms[c] <= 0) continue
        for (p = 1; p <= 5; p++) printf "cpu_%s_%s %.3f\n", c, proc[p], d[c, p + 1] * 1000 / ms[c]
        for (p = 1; p <= 4; p++) printf "ctx_%s_%s %.1f\n", c, proc[p], d[c, p + 6] * 1000 / ms[c]
        printf "xrt_s_%s_host %.2f\n", c, d[c, 11] * 1000 / ms[c]
        printf "seconds_%s %.0f\n", c, ms[c] / 1000
      }
      if (nsteps["walk"] > 0) printf "xrt_step_walk_host %.2f\nsteps_s_walk %.1f\n", d["walk", 11] / nsteps["walk"], nsteps["walk"] * 1000 / ms["walk"]
      if (all["ms"] > 0) printf "xrt_s_still_oneko %.2f\n", all[12] * 1000 / all["ms"]
    }' "$d/$n.samples" 2> /dev/null
  awk '{printf "rss_%s %.1f\npss_%s %.1f\npriv_%s %.1f\n", $1, $2 / 1024, $1, $3 / 1024, $1, $4 / 1024
        if (NF >= 5) printf "privdirty_%s %.1f\n", $1, $5 / 1024}' "$d/$n.mem" 2> /dev/null
  # The soak: private memory as the median of its first and of its last third, and their slope in
  # MiB per minute, and the least-squares slope of RSS. PSS is left out here: it moves whenever
  # other processes that share the libraries start or end.
  [ -s "$d/$n.soak" ] && awk '
    { k = $2; c = ++n[k]; t[k, c] = $1 / 60000; r[k, c] = $3 / 1024; v[k, c] = $5 / 1024 }
    function median(k, from, to,   i, j, m, x, a) {
      m = 0; for (i = from; i <= to; i++) a[++m] = v[k, i]
      for (i = 2; i <= m; i++) { x = a[i]; for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
      return (m % 2) ? a[(m + 1) / 2] : (a[m / 2] + a[m / 2 + 1]) / 2
    }
    END { for (k in n) { c = n[k]; third = int(c / 3); if (third < 1) continue
            first = median(k, 1, third); last = median(k, c - third + 1, c)
            span = (t[k, c - int((third - 1) / 2)] - t[k, 1 + int((third - 1) / 2)])
            st = stt = sr = str = 0
            for (i = 1; i <= c; i++) { st += t[k, i]; stt += t[k, i] * t[k, i]; sr += r[k, i]; str += t[k, i] * r[k, i] }
            den = c * stt - st * st
            printf "soak_priv_first_%s %.1f\nsoak_priv_last_%s %.1f\n", k, first, k, last
            if (span > 0) printf "slope_priv_%s %.3f\n", k, (last - first) / span
            if (den > 0) printf "slope_rss_%s %.3f\n", k, (c * str - st * sr) / den } }' "$d/$n.soak"
}

for n in "${names[@]}"; do
  for ((run = 1; run <= RUNS; run++)); do analyse "$WORK/run$run" "$n" > "$WORK/run$run/$n.result"; done
  # The median of each key over the runs that have it.
  cat "$WORK"/run*/"$n.result" | sort -k1,1 -k2,2g | awk '
    { if ($1 != key) { if (key != "") out(); key = $1; c = 0 } val[++c] = $2 }
    function out() { m = (c % 2) ? val[(c + 1) / 2] : (val[c / 2] + val[c / 2 + 1]) / 2; print key, m, c }
    END { if (key != "") out() }' > "$WORK/$n.median"
done

get() { awk -v k="$2" '$1 == k { print $2; f = 1 } END { if (!f) print "" }' "$WORK/$1.median"; }
fmt() { [ -n "$1" ] && printf "%s" "$1" || printf "–"; }
ratio() { [ -n "$1" ] && [ -n "$2" ] && awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.0f×", a / b; else printf "–" }' || printf "–"; }
row() {  # row LABEL KEY-PATTERN (with @ for the process) [ONEKO-KEY]
  local pat=$2 ok=${3:-} line="| $1 |" n p
  for n in "${names[@]}"; do
    for p in host web network desktop; do line+=" $(fmt "$(get "$n" "${pat//@/$p}")") |"; done
  done
  local last=${names[${#names[@]} - 1]} o=""
  [ -n "$ok" ] && o=$(get "$last" "$ok")
  line+=" $(fmt "$o") | $(ratio "$(get "$last" "${pat//@/host}")" "$o") | $(ratio "$(get "$last" "${pat//@/web}")" "$o") |"
  echo "$line"
}
{
  echo "Desktop benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), medians of $RUNS run(s); ${PHASE} s left alone + ${TYPE} s typing per run$([ "$SOAK" -gt 0 ] && echo ", then a soak of $SOAK min")."
  echo "Machine: $(uname -srm), $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $(nproc) cores; Xvfb 1280x800 + openbox + xcompmgr, software GL."
  echo
  header="| |" sep="|---|"
  for n in "${names[@]}"; do header+=" $n: host | $n: web | $n: network | $n: Xvfb+WM+compositor |"; sep+="---|---|---|---|"; done
  echo "$header oneko | ${names[${#names[@]} - 1]} host ÷ oneko | ${names[${#names[@]} - 1]} web ÷ oneko |"
  echo "$sep---|---|---|"
  row "exec → hello answered, ms" "hello_ms_@"
  row "CPU at rest, % of a core" "cpu_rest_@" cpu_rest_oneko
  row "CPU while walking, %" "cpu_walk_@" cpu_walk_oneko
  row "CPU while typing (~10 keys/s), %" "cpu_type_@" cpu_type_oneko
  row "context switches/s at rest" "ctx_rest_@" ctx_rest_oneko
  row "context switches/s walking" "ctx_walk_@" ctx_walk_oneko
  row "context switches/s typing" "ctx_type_@" ctx_type_oneko
  row "RSS, MiB" "rss_@" rss_oneko
  row "PSS, MiB" "pss_@" pss_oneko
  row "private, MiB" "priv_@" priv_oneko
  row "private dirty, MiB" "privdirty_@" privdirty_oneko
  row "X round trips per walking step" "xrt_step_walk_@"
  row "X round trips/s at rest (oneko: left alone)" "xrt_s_rest_@" xrt_s_still_oneko
  row "X round trips/s walking" "xrt_s_walk_@"
  if [ "$SOAK" -gt 0 ]; then
    row "soak: private, MiB, median of the first third" "soak_priv_first_@" soak_priv_first_oneko
    row "soak: private, MiB, median of the last third" "soak_priv_last_@" soak_priv_last_oneko
    row "soak: private slope, MiB/min (first to last third)" "slope_priv_@" slope_priv_oneko
    row "soak: RSS slope, MiB/min (least squares)" "slope_rss_@" slope_rss_oneko
  fi
  echo
  for n in "${names[@]}"; do
    echo "$n: $(get "$n" seconds_walk) s walking ($(get "$n" steps_s_walk) steps/s) and $(get "$n" seconds_rest) s at rest classified per run (median)."
  done
} > "$WORK/table.md"
cat "$WORK/table.md"
[ "$RESULTS" = - ] || cp "$WORK/table.md" "$RESULTS"
