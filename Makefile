# Set-up, build and test on a Debian machine. Each target installs what is
# missing first, so a fresh machine needs nothing but make.

BUILD    ?= build
JOBS     ?= $(shell nproc)
# The two faces are the ones every dialog is drawn in.
PACKAGES := g++ cmake ninja-build make pkg-config libgtest-dev libgmock-dev \
            libbenchmark-dev qt6-base-dev libgl-dev fonts-dejavu-core fonts-wqy-zenhei \
            qt6-translations-l10n locales
# The picture tests also run under these (tests/CMakeLists.txt): a desktop's
# locale decides which faces fontconfig offers first.
TEST_LOCALES := en_US.UTF-8 zh_CN.UTF-8

.PHONY: run test build deps bench tsan asan fuzz clean

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

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, leaks
# included, in a build folder of its own. Any undefined behaviour stops the
# test it happens in.
asan: deps
	cmake -S . -B build-asan -G Ninja -DQUORREL_SANITIZE=address
	cmake --build build-asan -j$(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="detect_leaks=1 strict_string_checks=1 detect_stack_use_after_return=1" LSAN_OPTIONS="suppressions=$(CURDIR)/tests/lsan.supp print_suppressions=0" UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1" ctest --output-on-failure -j$(JOBS)

# What the sanitizer and fuzz builds need beyond PACKAGES: clang and its
# libFuzzer runtime.
SANITIZER_PACKAGES := clang libclang-rt-dev
FUZZ_SECONDS ?= 60
# The settings and parameter-file targets write real files: in memory, the
# settings writer's fsync costs nothing.
FUZZ_TMPDIR ?= /dev/shm
FUZZ_TARGETS := version_matcher profile param_import reply command_bytes

# Each libFuzzer target for FUZZ_SECONDS, from its seed corpus; what it finds
# new is kept in build-fuzz/corpus/<target>, an input that breaks it in
# build-fuzz/<target>-crash-*. Every target runs even when one fails.
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DQUORREL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j$(JOBS)
	failed=""; for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t && \
	  TMPDIR=$(FUZZ_TMPDIR) build-fuzz/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=build-fuzz/$$t- build-fuzz/corpus/$$t tests/fuzz/corpus/$$t || failed="$$failed $$t"; \
	done; \
	if [ -n "$$failed" ]; then echo "fuzz: found faults in:$$failed (inputs in build-fuzz/)"; exit 1; fi

# Asks dpkg and locale first, so a machine that has everything pays nothing.
# Locales are generated the Debian way, listed in /etc/locale.gen, so that a
# later locale-gen keeps them.
deps:
	@if [ "$$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi; \
	missing=""; for p in $(PACKAGES) $(SANITIZER_PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $$sudo apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -q --no-install-recommends $$missing || exit 1; \
	fi; \
	missing=""; for l in $(TEST_LOCALES); do \
	  locale -a | grep -qx "$${l%.UTF-8}.utf8" || missing="$$missing $$l"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Generating locales:$$missing"; \
	  for l in $$missing; do \
	    grep -qx "$$l UTF-8" /etc/locale.gen || echo "$$l UTF-8" | $$sudo tee -a /etc/locale.gen >/dev/null; \
	  done; \
	  $$sudo locale-gen; \
	fi

clean:
	rm -rf $(BUILD) build-tsan build-asan build-fuzz
