# The entry points of the README: `make run`, `make test` and `make e2e`.
# Each installs the Debian packages it needs when they are missing, then configures and builds.

BUILD ?= build
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

CORE_PACKAGES := cmake g++ make pkg-config nlohmann-json3-dev libicu-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
RUN_PACKAGES := libgtk-3-dev libwebkit2gtk-4.1-dev libayatana-appindicator3-dev libx11-dev libxi-dev \
  libxext-dev libxrandr-dev libgl1-mesa-dri

E2E_PACKAGES := xvfb xauth openbox xcompmgr x11-utils xdotool dbus-x11 libgl1-mesa-dri jq

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

# The real program on a headless X11 desktop with its own session bus (tests/e2e/run.sh).
e2e: deps-e2e
	@$(MAKE) --no-print-directory build
	@tests/e2e/run.sh

clean:
	rm -rf $(BUILD)
