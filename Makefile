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
  dbus-x11 dbus-bin libgl1-mesa-dri jq python3 trayer python3-gi gir1.2-glib-2.0 libglib2.0-bin

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

.PHONY: run test e2e deps-core deps-run deps-e2e configure build clean

deps-core:
	@$(call install-missing,$(CORE_PACKAGES))

deps-run: deps-core
	@$(call install-missing,$(RUN_PACKAGES))

deps-e2e: deps-run
	@$(call install-missing,$(E2E_PACKAGES))

configure:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: deps-core
	@$(MAKE) --no-print-directory build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: deps-run
	@$(MAKE) --no-print-directory build
	@./$(BUILD)/brindlow

# The real program on headless X11 desktops, each with its own session bus and window manager
# (tests/e2e/run.sh).
e2e: deps-e2e
	@$(MAKE) --no-print-directory build
	@tests/e2e/run.sh

clean:
	rm -rf $(BUILD)
