# EmulZorv — the two commands of a fresh Debian 12 machine:
#   make run    build and start the emulator on the project's own firmware
#   make test   build and pass every test
# Other targets: make bench (benchmarks), make asan (logic tests under
# AddressSanitizer + UndefinedBehaviorSanitizer), make clean.

BUILD      ?= build
BUILD_ASAN ?= build-asan
PAQUETS    := cmake ninja-build g++ make libgtest-dev libbenchmark-dev \
              qt6-base-dev libgl-dev qt6-translations-l10n fonts-liberation xvfb xauth xdotool \
              poppler-utils libzstd-dev libssl-dev zlib1g-dev nlohmann-json3-dev pkg-config \
              dpkg-dev lintian desktop-file-utils appstream lcov
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS       ?= $(shell nproc)

.PHONY: all deps build test run deb bench asan clean

all: build

deps:
	@manque=""; for p in $(PAQUETS); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || manque="$$manque $$p"; \
	done; \
	if [ -n "$$manque" ]; then \
	  echo "Installation des paquets :$$manque"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$manque; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -x $(BUILD)/programme/emulzorv ]; then \
	  cd $(BUILD)/programme && ./emulzorv; \
	else \
	  echo "La fenêtre de l'émulateur n'existe pas encore. Programmes construits :"; \
	  ls $(BUILD)/programme $(BUILD)/tests $(BUILD)/bench 2>/dev/null; \
	fi

deb: build
	cd $(BUILD) && cpack -G DEB

bench: build
	$(BUILD)/bench/bench_zorv

asan: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORV_SANITIZE=ON -DZORV_GUI=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS) --target tests_logique
	cd $(BUILD_ASAN) && ctest --output-on-failure -R tests_logique

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
