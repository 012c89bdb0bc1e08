# The two commands of the README: `make run` and `make test`.
# Both install what they need first (scripts/install-deps is quick when nothing is missing).
.PHONY: run test fuzz deps build linux linux-asan windows test-linux test-linux-asan test-windows format clean

PRESETS := linux linux-asan windows

run: deps
	@scripts/run

test: deps
	@scripts/check-layers
	@scripts/check-format
	@$(MAKE) --no-print-directory test-linux
	@$(MAKE) --no-print-directory test-linux-asan
	@$(MAKE) --no-print-directory test-windows

# Fuzzes every target for FUZZ_SECONDS each (60 by default); a tool, not a test.
fuzz:
	@scripts/install-deps fuzz
	@scripts/fuzz $(FUZZ_SECONDS)

deps:
	@scripts/install-deps

build: linux linux-asan windows

$(PRESETS):
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@

test-linux: linux
	ctest --preset linux

test-linux-asan: linux-asan
	ctest --preset linux-asan

# The Windows tests include Ardentis.exe end to end, which runs the native server and
# headless client of the linux tree.
test-windows: linux windows
	scripts/test-windows

format:
	git ls-files -co --exclude-standard -- '*.h' '*.cpp' | xargs -r clang-format -i

clean:
	rm -rf build
