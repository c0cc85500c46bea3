#!/usr/bin/env bash
# End-to-end run of the real build/brindlow on headless X11 desktops. Each suite in tests/e2e/suites/
# runs in its own private session bus with its own Xvfb, window manager and folders (lib.sh); its test
# page drives the bridge and writes what it saw into the save file, and the suite drives the pointer
# and keyboard, looks at the windows from outside and reads that file back.
#
#   tests/e2e/run.sh [SUITE...]     all suites by default, e.g. tests/e2e/run.sh basic
#   BRINDLOW_BIN=...                another program than ./build/brindlow
#   E2E_WMS="xfwm4 mutter"          the window managers to run each suite under (one run per manager);
#                                   without it a suite runs under the ones its line E2E_WMS="..." names,
#                                   else under openbox. E2E_WM=xfwm4 is the same for one manager.
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

for tool in Xvfb xcompmgr xdotool xwininfo xprop xev jq python3 dbus-run-session dbus-update-activation-environment; do
  command -v "$tool" > /dev/null || { echo "e2e: missing $tool (make e2e installs it)"; echo "e2e: 0 passed, 1 failed"; exit 1; }
done
[ -x "$BIN" ] || { echo "e2e: no program at $BIN"; echo "e2e: 0 passed, 1 failed"; exit 1; }
export NO_AT_BRIDGE=1

suites=("$@")
if [ ${#suites[@]} -eq 0 ]; then
  for f in "$ROOT"/tests/e2e/suites/*.sh; do suites+=("$(basename "$f" .sh)"); done
fi

# The window managers of one suite file.
wmsOf() {
  if [ -n "${E2E_WMS:-}" ]; then
    echo "$E2E_WMS"
  elif [ -n "${E2E_WM:-}" ]; then
    echo "$E2E_WM"
  else
    local declared
    declared=$(sed -n 's/^E2E_WMS="\([^"]*\)".*$/\1/p' "$1" | head -1)
    echo "${declared:-openbox}"
  fi
}

total_passed=0
total_failed=0
declare -A wmSeconds=()
wmOrder=()
for name in "${suites[@]}"; do
  file=$ROOT/tests/e2e/suites/$name.sh
  [ -f "$file" ] || { echo "not ok - no suite $name"; total_failed=$((total_failed + 1)); continue; }
  for wm in $(wmsOf "$file"); do
    label="$name [$wm]"
    # Each manager that startDesktop knows is named as its program.
    if [ "$wm" != none ] && ! command -v "$wm" > /dev/null; then
      echo "not ok - $label: no window manager $wm (make e2e installs openbox, xfwm4, mutter and marco)"
      total_failed=$((total_failed + 1))
      continue
    fi
    work=$(mktemp -d "/tmp/brindlow-e2e-$name-$wm.XXXXXX")
    started=$(date +%s)
    # The report goes out on descriptor 3; what the bus and the services it starts print goes to a log.
    env E2E_SUITE_FILE="$file" E2E_SUITE_NAME="$label" E2E_WORK="$work" E2E_WM="$wm" \
      dbus-run-session -- "${BASH_SOURCE[0]}" 3>&1 > "$work/session.log" 2>&1 |
      while IFS= read -r line; do
        case $line in "suite-result "*) echo "$line" > "$work/result" ;; *) echo "$line" ;; esac
      done
    tag="" p=0 f=0
    [ -f "$work/result" ] && read -r tag p f < "$work/result"
    if [ "$tag" != suite-result ]; then
      echo "not ok - $label: the suite ended early (logs in $work)"
      p=0 f=1
    fi
    total_passed=$((total_passed + p))
    total_failed=$((total_failed + f))
    seconds=$(($(date +%s) - started))
    [ -n "${wmSeconds[$wm]:-}" ] || wmOrder+=("$wm")
    wmSeconds[$wm]=$((${wmSeconds[$wm]:-0} + seconds))
    echo "# $label: $p passed, $f failed in $seconds s"
    if [ -n "${E2E_KEEP:-}" ] || [ "$f" -gt 0 ]; then echo "# $label: logs kept in $work"; else rm -rf "$work"; fi
  done
done

if [ ${#wmOrder[@]} -gt 0 ]; then
  times=""
  for wm in "${wmOrder[@]}"; do times+="${times:+, }$wm ${wmSeconds[$wm]} s"; done
  echo "# time per window manager: $times"
fi
echo "e2e: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
