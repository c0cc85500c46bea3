#!/usr/bin/env bash
# End-to-end run of the real build/brindlow on headless X11 desktops. Each suite in tests/e2e/suites/
# runs in its own private session bus with its own Xvfb, window manager and folders (lib.sh); its test
# page drives the bridge and writes what it saw into the save file, and the suite drives the pointer
# and keyboard, looks at the windows from outside and reads that file back.
#
#   tests/e2e/run.sh [SUITE...]     all suites by default, e.g. tests/e2e/run.sh basic
#   BRINDLOW_BIN=...                another program than ./build/brindlow
#   E2E_WM=xfwm4                    another window manager than openbox
#   E2E_KEEP=1                      keeps the work folders (logs, save files) also when all passed
set -u

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BIN=${BRINDLOW_BIN:-$ROOT/build/brindlow}
export ROOT BIN

# Inside one suite's session bus: run the suite with the harness.
if [ -n "${E2E_SUITE_FILE:-}" ]; then
  exec 1>&3 3>&-
  WORK=$E2E_WORK
  SUITE=$E2E_SUITE_NAME
  # shellcheck source=tests/e2e/lib.sh
  source "$ROOT/tests/e2e/lib.sh"
  # shellcheck disable=SC1090
  source "$E2E_SUITE_FILE"
  finish
fi

for tool in Xvfb openbox xcompmgr xdotool xwininfo xprop xev jq dbus-run-session; do
  command -v "$tool" > /dev/null || { echo "e2e: missing $tool (make e2e installs it)"; echo "e2e: 0 passed, 1 failed"; exit 1; }
done
[ -x "$BIN" ] || { echo "e2e: no program at $BIN"; echo "e2e: 0 passed, 1 failed"; exit 1; }
export NO_AT_BRIDGE=1

suites=("$@")
if [ ${#suites[@]} -eq 0 ]; then
  for f in "$ROOT"/tests/e2e/suites/*.sh; do suites+=("$(basename "$f" .sh)"); done
fi

total_passed=0
total_failed=0
for name in "${suites[@]}"; do
  file=$ROOT/tests/e2e/suites/$name.sh
  [ -f "$file" ] || { echo "not ok - no suite $name"; total_failed=$((total_failed + 1)); continue; }
  work=$(mktemp -d "/tmp/brindlow-e2e-$name.XXXXXX")
  started=$(date +%s)
  # The report goes out on descriptor 3; what the bus and the services it starts print goes to a log.
  env E2E_SUITE_FILE="$file" E2E_SUITE_NAME="$name" E2E_WORK="$work" \
    dbus-run-session -- "${BASH_SOURCE[0]}" 3>&1 > "$work/session.log" 2>&1 |
    while IFS= read -r line; do
      case $line in "suite-result "*) echo "$line" > "$work/result" ;; *) echo "$line" ;; esac
    done
  tag="" p=0 f=0
  [ -f "$work/result" ] && read -r tag p f < "$work/result"
  if [ "$tag" != suite-result ]; then
    echo "not ok - $name: the suite ended early (logs in $work)"
    p=0 f=1
  fi
  total_passed=$((total_passed + p))
  total_failed=$((total_failed + f))
  echo "# $name: $p passed, $f failed in $(( $(date +%s) - started )) s"
  if [ -n "${E2E_KEEP:-}" ] || [ "$f" -gt 0 ]; then echo "# $name: logs kept in $work"; else rm -rf "$work"; fi
done

echo "e2e: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
