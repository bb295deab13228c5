# Velmora: the two everyday commands are `make run` and `make test`.
# Both install what is missing (Debian 12, as root or with sudo), then build.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config clang-format libcpp-httplib-dev \
	qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-multimedia-dev qt6-image-formats-plugins \
	libqt6webenginecore6-bin libjpeg-turbo-progs libgl-dev libcurl4-openssl-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev \
	fonts-noto-cjk xvfb xauth
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
TEST_ENV := QT_QPA_PLATFORM=offscreen QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"

.PHONY: all deps configure build run test bench fuzz format clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

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

bench: build
	$(BUILD_DIR)/bench/run-benchmarks.sh $(BUILD_DIR)

fuzz: deps
	cmake -S fuzz -B fuzz-build -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build fuzz-build -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) fuzz-build
