# The two commands of the README: `make run` and `make test`.
# Both install what they need first (scripts/install-deps is quick when nothing is missing).
.PHONY: run test fuzz deps build package dist linux linux-asan windows test-linux test-linux-asan test-windows screenshots tidy format clean

PRESETS := linux linux-asan windows

run: deps
	@scripts/run

# clang-tidy needs only the two trees' compile databases. It runs beside the builds and the
# native tests, sharing the cores with them, and is over before the Wine tests start: those
# drive real windows against timeouts and get the machine to themselves.
test: deps
	@scripts/check-layers
	@scripts/check-format
	@cmake --preset linux >/dev/null && cmake --preset windows >/dev/null
	@scripts/check-tidy >build/check-tidy.log 2>&1 & tidy=$$!; \
	{ $(MAKE) --no-print-directory test-linux && \
	  $(MAKE) --no-print-directory test-linux-asan && \
	  $(MAKE) --no-print-directory windows; } || \
	  { status=$$?; kill $$tidy 2>/dev/null; wait $$tidy; exit $$status; }; \
	if wait $$tidy; then tail -n 1 build/check-tidy.log; else cat build/check-tidy.log >&2; exit 1; fi; \
	$(MAKE) --no-print-directory test-windows

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

# Pictures of every window in both languages at 96, 144 and 192 DPI, each taken right after
# the window's captions are checked, in build/windows/screenshots/<dpi>/<zh|en>/. Not part of
# test-windows, where they would cost about ten seconds.
screenshots:
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target app_tests
	rm -rf build/windows/screenshots
	env -u DISPLAY ARDENTIS_SCREEN_SIZE=2560x1600 \
	  ARDENTIS_SCREENSHOTS="Z:$(CURDIR)/build/windows/screenshots" scripts/test-windows -R '^app_tests$$'

# The lobby server as a Debian package, in build/linux/package/.
package: deps
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux --target ardentis-server ardentis-server-man
	cd build/linux && cpack -B package

# Ardentis.exe's installer and portable zip, named after the project version, in
# build/windows/dist/.
dist: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target dist

tidy:
	@scripts/check-tidy

format:
	git ls-files -co --exclude-standard -- '*.h' '*.cpp' | xargs -r clang-format -i

clean:
	rm -rf build
