# The two entry points of the README: `make run` and `make test`.
# Each installs the Debian packages it needs when they are missing, then configures and builds.

BUILD ?= build
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

CORE_PACKAGES := cmake g++ make pkg-config nlohmann-json3-dev libicu-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
RUN_PACKAGES := libgtk-3-dev libwebkit2gtk-4.1-dev libayatana-appindicator3-dev libx11-dev libxi-dev \
  libxext-dev libxrandr-dev libgl1-mesa-dri

.PHONY: run test deps-core deps-run configure build clean

deps-core:
	@missing=""; for p in $(CORE_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

deps-run: deps-core
	@missing=""; for p in $(RUN_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

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

clean:
	rm -rf $(BUILD)
