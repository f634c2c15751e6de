# Set-up, build and test on a Debian machine. Each target installs what is
# missing first, so a fresh machine needs nothing but make.

BUILD    ?= build
JOBS     ?= $(shell nproc)
PACKAGES := g++ cmake ninja-build make pkg-config libgtest-dev libgmock-dev \
            libbenchmark-dev qt6-base-dev libgl-dev fonts-wqy-zenhei \
            qt6-translations-l10n

.PHONY: run test build deps bench tsan clean

run: build
	@if [ -x $(BUILD)/quorrel ]; then exec $(BUILD)/quorrel $(ARGS); \
	else echo "quorrel: the main window is not built yet"; fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

build: deps
	cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD) -j$(JOBS)

bench: build
	cmake --build $(BUILD) -j$(JOBS) --target benchmarks

# The whole suite under ThreadSanitizer, in a build folder of its own.
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DQUORREL_SANITIZE=thread
	cmake --build build-tsan -j$(JOBS)
	cd build-tsan && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan.supp" ctest --output-on-failure -j$(JOBS)

# Asks dpkg first, so a machine that has everything pays nothing.
deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi; \
	  $$sudo apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -q --no-install-recommends $$missing; \
	fi

clean:
	rm -rf $(BUILD) build-tsan
