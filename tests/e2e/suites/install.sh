# shellcheck shell=bash
# A real install into a temporary prefix: the program, its resources and page, the menu entry and the
# icon land in their XDG places; the desktop finds the entry and starts the installed program through
# it, which runs the installed page from the prefix; and "Open at Login" names the installed program.
startDesktop

APP_ID=io.github.brindlow.Brindlow
BUILD_DIR=$(dirname "$BIN")
PREFIX=$WORK/prefix
SHARE=$PREFIX/share
# cmake --install rewrites the build folder's install_manifest.txt, which `make uninstall` reads: keep
# the one of the user's own install.
manifest=$BUILD_DIR/install_manifest.txt
[ -f "$manifest" ] && cp "$manifest" "$WORK/install_manifest.txt"
installed=0
cmake --install "$BUILD_DIR" --prefix "$PREFIX" > "$WORK/install.log" 2>&1 || installed=$?
if [ -f "$WORK/install_manifest.txt" ]; then mv "$WORK/install_manifest.txt" "$manifest"; else rm -f "$manifest"; fi
if [ "$installed" -eq 0 ]; then
  pass "cmake --install into a temporary prefix"
else
  fail "cmake --install into a temporary prefix" "$(tail -3 "$WORK/install.log" 2> /dev/null)"
  finish
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")
check "the program in bin/, the resources and the page in share/brindlow/" \
  test -x "$PREFIX/bin/brindlow" -a -f "$SHARE/brindlow/web/index.html" -a -f "$SHARE/brindlow/links.json" \
  -a -d "$SHARE/brindlow/en.lproj" -a -d "$SHARE/brindlow/icons"
infoIsBuilt() {
  jq -e --arg v "$version" '.CFBundleShortVersionString == $v and (.CFBundleVersion | test("^[0-9]+$"))' \
    "$SHARE/brindlow/info.json" > /dev/null
}
check "info.json with the version ($version) and a build number" infoIsBuilt
entry=$SHARE/applications/$APP_ID.desktop
check "the menu entry names the installed program and an installed icon" \
  sh -c "grep -qx 'Exec=$PREFIX/bin/brindlow' '$entry' && grep -qx 'Icon=$APP_ID' '$entry' &&
         ls '$SHARE'/icons/hicolor/*/apps/$APP_ID.* > /dev/null"
if command -v desktop-file-validate > /dev/null; then
  check "the menu entry validates" desktop-file-validate "$entry"
else
  fail "desktop-file-validate is installed (make e2e installs desktop-file-utils)"
fi

# The desktop's view of the prefix, and the installed program on its own resources.
export XDG_DATA_DIRS=$SHARE:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}
unset BRINDLOW_RESOURCES
busPid() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID "string:$APP_ID" 2> /dev/null | awk '/uint32/ {print $2}'
}
gtk-launch "$APP_ID" > "$WORK/menu.out" 2> "$WORK/menu.err"
launched=$?
busOwned() { [ -n "$(busPid)" ]; }
waitFor 15 busOwned
APP=$(busPid)
if [ -n "$APP" ]; then
  PIDS+=("$APP")
  check "started through its menu entry, it is the installed program" \
    test "$(readlink "/proc/$APP/exe")" = "$PREFIX/bin/brindlow"
  # The sample page places the pet on the bottom of the screen after its hello: the panel shows only then.
  onFloor() { PET=$(petWindow) && [ -n "$PET" ] && [ "$(geometryOf "$PET" | cut -d, -f2)" = 616 ]; }
  check "the installed page says hello and stands the pet on the screen bottom" waitFor 30 onFloor
  # Not a child of this shell: there is no exit status to read, only that it ends.
  kill -TERM "$APP"
  savedOnExit() { waitFor 20 appGone && jq -e '.v == 1 and (.day | length) == 10' "$SAVE" > /dev/null; }
  check "SIGTERM ends it after the installed page saved its game" savedOnExit
else
  fail "gtk-launch $APP_ID starts the installed program (status $launched)" "$(tail -3 "$WORK/menu.err")"
fi

# "Open at Login" from the installed program: its autostart entry starts the installed program.
rm -f "$SAVE"
export BRINDLOW_RESOURCES=$ROOT/tests/e2e/bundles/install
BIN=$PREFIX/bin/brindlow
launch login
autostart=$XDG_CONFIG_HOME/autostart/$APP_ID.desktop
if waitReady; then
  check "prefs.set turns launchAtLogin on" saved '.prefs.launchAtLogin == true'
  check "the autostart entry names the installed program ($(grep '^Exec=' "$autostart" 2> /dev/null))" \
    sh -c "grep -qx 'Exec=$PREFIX/bin/brindlow' '$autostart' && grep -qx 'TryExec=$PREFIX/bin/brindlow' '$autostart'"
  if command -v desktop-file-validate > /dev/null; then
    check "the autostart entry validates" desktop-file-validate "$autostart"
  fi
  kill -TERM "$APP"
  waitExit 20
else
  fail "the installed program starts on the install page" "$(jq -c . "$SAVE" 2> /dev/null); $(tail -3 "$WORK/login.err")"
fi
