# Thin wrapper over CMake: `make run` opens the sandbox, `make test` runs every
# test, `make package` builds the Debian package, `make bench` times the frame
# against its floor, plays the long game to 10,000 balls for its spread, and
# times the whole frame, physics and drawing, in a window on a private Xvfb;
# `make screenshot` retakes docs/brivolt.png.
BUILD := build
SANITIZE_BUILD := build-sanitize
PACKAGE_BUILD := build-package
BENCH_BUILD := build-bench
JOBS := $(shell nproc 2>/dev/null || echo 2)

BUILD_PACKAGES := cmake g++ make pkg-config liballegro4-dev libx11-dev
PACKAGE_PACKAGES := $(BUILD_PACKAGES) librsvg2-bin gzip dpkg-dev file
TEST_PACKAGES := $(PACKAGE_PACKAGES) libgtest-dev xvfb python3-pytest python3-pytest-timeout \
  python3-xlib python3-numpy python3-scipy desktop-file-utils appstream lintian groff
BENCH_PACKAGES := $(PACKAGE_PACKAGES) libbenchmark-dev python3-matplotlib xvfb xauth
SCREENSHOT_PACKAGES := $(PACKAGE_PACKAGES) xvfb python3-pytest python3-xlib python3-numpy python3-scipy

# Empty: every architecture that this release's security archive carries.
CROSS_ARCHS :=

.PHONY: run test package bench screenshot cross build clean

# Installs whichever of the given Debian packages are missing (needs root).
define ensure_packages
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" -ne 0 ]; then echo "missing packages:" $$missing "(run as root to install them)"; exit 1; fi; \
	  echo "installing" $$missing; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	fi
endef

build:
	$(call ensure_packages,$(PACKAGE_PACKAGES))
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/brivolt

# Unit and window tests; then the Debian package, built and checked; then the
# unit and window tests again under AddressSanitizer and UBSan.
test:
	$(call ensure_packages,$(TEST_PACKAGES))
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DBRIVOLT_ALL_TESTS=ON
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_BINDIR=games \
	  -DBUILD_TESTING=ON -DBRIVOLT_ALL_TESTS=ON
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	cd $(PACKAGE_BUILD) && ctest --output-on-failure -R '^package\.'
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DBRIVOLT_SANITIZE=ON \
	  -DBUILD_TESTING=ON -DBRIVOLT_ALL_TESTS=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure

package:
	$(call ensure_packages,$(PACKAGE_PACKAGES))
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_BINDIR=games -DBUILD_TESTING=OFF
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB >/dev/null
	@echo "$(CURDIR)/$(PACKAGE_BUILD)/$$(cd $(PACKAGE_BUILD) && ls brivolt_*.deb)"

bench:
	$(call ensure_packages,$(BENCH_PACKAGES))
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DBRIVOLT_BENCH=ON -DBRIVOLT_WINDOW=ON \
	  -DBUILD_TESTING=OFF
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target brivolt_bench brivolt_spread brivolt_whole_frame
	./$(BENCH_BUILD)/bench/brivolt_bench --benchmark_repetitions=3 \
	  --benchmark_enable_random_interleaving=true \
	  --benchmark_report_aggregates_only=true --benchmark_out=$(BENCH_BUILD)/frames.json
	/usr/bin/python3 bench/report.py $(BENCH_BUILD)/frames.json 10 docs/frame_cost.png
	./$(BENCH_BUILD)/bench/brivolt_spread
	xvfb-run -a -s "-screen 0 1024x768x24" ./$(BENCH_BUILD)/bench/brivolt_whole_frame $(BENCH_BUILD)/whole_frame.csv
	/usr/bin/python3 bench/whole_frame_plot.py docs/whole_frame.png $(BENCH_BUILD)/whole_frame.csv

# For each of CROSS_ARCHS: the game, its tests and its package cross-built,
# every test run under qemu-user; then the long game's worlds compared.
cross:
	$(call ensure_packages,$(TEST_PACKAGES) qemu-user clang mmdebstrap)
	.ci/cross.sh $(CROSS_ARCHS)

screenshot: build
	$(call ensure_packages,$(SCREENSHOT_PACKAGES))
	/usr/bin/python3 docs/take_screenshot.py $(BUILD)/brivolt docs/brivolt.png

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(PACKAGE_BUILD) $(BENCH_BUILD) build-cross
