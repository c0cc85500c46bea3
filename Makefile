# The entry points of the README: `make run`, `make test` and `make e2e`.
# Each installs the Debian packages it needs when they are missing, then configures and builds.

BUILD ?= build
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

CORE_PACKAGES := cmake g++ make pkg-config nlohmann-json3-dev libicu-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
RUN_PACKAGES := libgtk-3-dev libwebkit2gtk-4.1-dev libayatana-appindicator3-dev libx11-dev libxi-dev \
  libxext-dev libxrandr-dev libgl1-mesa-dri

# The window managers the suites run under (tests/e2e/lib.sh startDesktop); marco needs MATE's settings
# schemas, which it does not depend on. trayer is the XEmbed tray, python3-gi the bus stand-ins.
E2E_PACKAGES := xvfb xauth openbox xcompmgr xfwm4 mutter marco mate-settings-daemon-common x11-utils xdotool \
  dbus-x11 dbus-bin libgl1-mesa-dri jq python3 trayer python3-gi gir1.2-glib-2.0 libglib2.0-bin desktop-file-utils

FUZZ_PACKAGES := clang libclang-rt-14-dev

# Where `make install` puts the program (bin/), its resources and page (share/brindlow/), its menu
# entry and icon (share/applications/, share/icons/).
PREFIX ?= /usr/local

# "sudo" when the folder $(1), or the nearest one of its parents that exists, is not writable.
define sudo-for
$$(d="$(1)"; while [ ! -e "$$d" ]; do d=$$(dirname "$$d"); done; [ -w "$$d" ] || echo $(SUDO))
endef

# Installs those of the Debian packages $(1) that are missing.
define install-missing
missing=""; for p in $(1); do \
  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
done; \
if [ -n "$$missing" ]; then \
  echo "installing:$$missing"; \
  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
fi
endef

.PHONY: run test e2e install uninstall deps-core deps-run deps-e2e deps-fuzz configure build clean

deps-core:
	@$(call install-missing,$(CORE_PACKAGES))

deps-run: deps-core
	@$(call install-missing,$(RUN_PACKAGES))

deps-e2e: deps-run
	@$(call install-missing,$(E2E_PACKAGES))

deps-fuzz: deps-core
	@$(call install-missing,$(FUZZ_PACKAGES))

configure:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: deps-core
	@$(MAKE) --no-print-directory build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Stops with one line when there is no local X11 display to show the pet on.
define need-display
d="$${DISPLAY:-}"; \
if [ -z "$$d" ]; then \
  echo "make run: no X11 display (DISPLAY is not set): start it from a desktop session, or headless: Xvfb :99 & DISPLAY=:99 make run"; \
  exit 1; \
fi; \
case $$d in :*|unix:*) \
  n=$${d#*:}; n=$${n%%.*}; \
  if [ ! -S /tmp/.X11-unix/X$$n ]; then \
    echo "make run: cannot open the X11 display $$d (no /tmp/.X11-unix/X$$n): set DISPLAY to a running X server, e.g. DISPLAY=:0 make run"; \
    exit 1; \
  fi ;; \
esac
endef

# Builds only the program, after checking for a display.
run:
	@$(need-display)
	@$(MAKE) --no-print-directory deps-run configure
	@cmake --build $(BUILD) -j $(JOBS) --target brindlow
	@./$(BUILD)/brindlow

# The real program beside oneko on a private headless desktop (bench/desktop/bench.sh); writes
# bench/desktop/RESULTS.md. BENCH_BEFORE=<another build folder> measures that build beside this one.
BENCH_PACKAGES := xvfb openbox xcompmgr x11-utils xdotool dbus-x11 libgl1-mesa-dri jq oneko
.PHONY: bench-desktop
bench-desktop: deps-run
	@$(call install-missing,$(BENCH_PACKAGES))
	@$(MAKE) --no-print-directory configure
	@cmake --build $(BUILD) -j $(JOBS) --target brindlow
	@bench/desktop/bench.sh $(if $(BENCH_BEFORE),before=$(BENCH_BEFORE)/brindlow:$(BENCH_BEFORE)/share/brindlow) \
	  after=$(CURDIR)/$(BUILD)/brindlow:$(CURDIR)/$(BUILD)/share/brindlow


# The real program on headless X11 desktops, each with its own session bus and window manager
# (tests/e2e/run.sh).
e2e: deps-e2e
	@$(MAKE) --no-print-directory build
	@tests/e2e/run.sh

# Built as the user; only the copy into $(PREFIX) runs with sudo, and only when it needs to.
install: deps-run
	@$(MAKE) --no-print-directory build
	@$(call sudo-for,$(PREFIX)) cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes what the last `make install` from this build folder wrote (CMake's install_manifest.txt),
# then the resource folder's empty directories.
uninstall:
	@[ -f $(BUILD)/install_manifest.txt ] || { echo "uninstall: no $(BUILD)/install_manifest.txt"; exit 1; }
	@info=$$(grep '/share/brindlow/info.json$$' $(BUILD)/install_manifest.txt | head -1); \
	sudo=$(call sudo-for,$$(head -1 $(BUILD)/install_manifest.txt)); \
	xargs -d '\n' $$sudo rm -f -- < $(BUILD)/install_manifest.txt; \
	if [ -n "$$info" ] && [ -d "$$(dirname "$$info")" ]; then $$sudo find "$$(dirname "$$info")" -depth -type d -empty -delete; fi; \
	echo "uninstall: removed $$(grep -c '' $(BUILD)/install_manifest.txt) files"

clean:
	rm -rf $(BUILD)
