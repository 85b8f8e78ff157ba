# Thin wrapper over CMake: `make run` opens the sandbox, `make test` runs every test.
BUILD := build
SANITIZE_BUILD := build-sanitize
BENCH_BUILD := build-bench
JOBS := $(shell nproc 2>/dev/null || echo 2)

BUILD_PACKAGES := cmake g++ make pkg-config liballegro4-dev
TEST_PACKAGES := $(BUILD_PACKAGES) libgtest-dev xvfb xdotool x11-apps imagemagick python3
BENCH_PACKAGES := $(BUILD_PACKAGES) libbenchmark-dev python3-matplotlib

.PHONY: run test bench build clean

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
	$(call ensure_packages,$(BUILD_PACKAGES))
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/brivolt

test:
	$(call ensure_packages,$(TEST_PACKAGES))
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DBRIVOLT_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure

bench:
	$(call ensure_packages,$(BENCH_PACKAGES))
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DBRIVOLT_BENCH=ON -DBRIVOLT_WINDOW=OFF
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target brivolt_bench
	./$(BENCH_BUILD)/bench/brivolt_bench --benchmark_repetitions=3 \
	  --benchmark_report_aggregates_only=true --benchmark_out=$(BENCH_BUILD)/frames.json
	/usr/bin/python3 bench/report.py $(BENCH_BUILD)/frames.json 10 docs/frame_cost.png

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(BENCH_BUILD)
