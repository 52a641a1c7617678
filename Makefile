# The two commands of the README: `make run` and `make test`.
# Each does its whole set-up: packages, configure, build.

SANITIZE_DIR := build/sanitize
TSAN_DIR     := build/tsan
RELEASE_DIR  := build/release
FUZZ_DIR     := build/fuzz
PACKAGE_DIR  ?= build/package
JOBS         ?= $(shell nproc)

.PHONY: run test tsan deps build bench fuzz format clean screenshots package

deps:
	@./scripts/install-deps.sh

run: build
	@./scripts/install-deps.sh --run
	@./scripts/run-demo.sh $(RELEASE_DIR)

test: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRO_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 300

# The tests once more under ThreadSanitizer. Queued calls into the UI thread
# state their hand-off to it, since Debian's Qt is not instrumented.
tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRO_TSAN=ON
	cmake --build $(TSAN_DIR) -j $(JOBS)
	cd $(TSAN_DIR) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
		ctest --output-on-failure -j $(JOBS) --timeout 300

# Pictures of the window on Qt's offscreen platform, over a stand-in server.
screenshots: build
	$(RELEASE_DIR)/app/tavro-screenshots build/screenshots

build: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRO_TESTS=OFF -DTAVRO_BENCH=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

bench: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRO_TESTS=OFF -DTAVRO_BENCH=ON
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	@for b in $(RELEASE_DIR)/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

fuzz:
	@./scripts/install-deps.sh --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRO_TESTS=OFF -DTAVRO_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)

# The Debian package, built with Debian's hardening flags into $(PACKAGE_DIR),
# then checked (packaging/check-package.sh: desktop entry, service unit, lintian).
package:
	@./scripts/install-deps.sh --package
	CFLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
		cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
		-DTAVRO_TESTS=OFF -DTAVRO_BENCH=OFF
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	rm -f $(PACKAGE_DIR)/tavro_*.deb
	cd $(PACKAGE_DIR) && cpack
	./packaging/check-package.sh $(PACKAGE_DIR)/tavro_*.deb

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
