# Velmora: the two everyday commands are `make run` and `make test`.
# Both install what is missing (Debian 12, as root or with sudo), then build.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config clang-format libcpp-httplib-dev \
	qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-multimedia-dev qt6-image-formats-plugins \
	libqt6webenginecore6-bin libjpeg-turbo-progs libgl-dev libjpeg62-turbo-dev libcurl4-openssl-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev \
	fonts-noto-cjk xvfb xauth
# What `make fuzz` (libFuzzer comes with clang's runtime libraries) and `make tidy` need besides.
FUZZ_PACKAGES := clang libclang-rt-14-dev
TIDY_PACKAGES := clang-tidy
ASAN_DIR ?= build-asan
TIDY_DIR ?= build-tidy
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
TEST_ENV := QT_QPA_PLATFORM=offscreen QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"

.PHONY: all deps configure build run test test-asan bench fuzz tidy format clean

all: build

# Installs the Debian packages named in $(1) that are missing.
install_missing = missing=""; for p in $(1); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

deps:
	@$(call install_missing,$(PACKAGES))

configure: deps
	@[ -f $(BUILD_DIR)/CMakeCache.txt ] || cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "No display found: starting the viewer under Xvfb on :99"; \
		(Xvfb :99 -screen 0 1600x1000x24 >/dev/null 2>&1 &) ; sleep 1; \
		DISPLAY=:99 $(BUILD_DIR)/app/vistelle "$(CURDIR)/samples"; \
	else \
		$(BUILD_DIR)/app/vistelle "$(CURDIR)/samples"; \
	fi

test: build
	cd $(BUILD_DIR) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS) --timeout 300

# The logic libraries and their tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# in a build folder of their own (no windows: the web engine does not run under ASan).
test-asan: deps
	@[ -f $(ASAN_DIR)/CMakeCache.txt ] || cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVELMORA_SANITIZE=ON -DVELMORA_BUILD_UI=OFF -DVELMORA_BUILD_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && $(TEST_ENV) ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS) --timeout 600 -E '^code_style$$'

bench: build
	$(BUILD_DIR)/bench/run-benchmarks.sh $(BUILD_DIR)

fuzz: deps
	@$(call install_missing,$(FUZZ_PACKAGES))
	cmake -S fuzz -B fuzz-build -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build fuzz-build -j $(JOBS)

# clang-tidy with the checks of .clang-tidy over every source file of the programs, each checked
# alone: its build folder compiles every source by itself, so a missing include shows there too.
tidy: deps
	@$(call install_missing,$(TIDY_PACKAGES))
	@[ -f $(TIDY_DIR)/CMakeCache.txt ] || cmake -S . -B $(TIDY_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVELMORA_UNITY_BUILD=OFF -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF
	cmake --build $(TIDY_DIR) -j $(JOBS)
	run-clang-tidy -quiet -p $(TIDY_DIR) -j $(JOBS) '^$(CURDIR)/(app|common|system|viewer|slideshow|web|browser|desktop)/'

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TIDY_DIR) fuzz-build
