# Convenience wrappers: `make run` and `make test` install what is missing (Debian 12, as root or via sudo),
# build and then start the program or run every test.
BUILD ?= build
JOBS ?= $(shell nproc)
DEB_PACKAGES = build-essential cmake pkg-config qt6-base-dev libqt6opengl6-dev qt6-tools-dev qt6-svg-dev \
  qt6-pdf-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev libicu-dev libcli11-dev nlohmann-json3-dev fonts-dejavu-core \
  qt6-qpa-plugins libqt6svg6 curl lftp python3 xdg-utils clang libclang-rt-14-dev libqrencode-dev zbar-tools \
  librsvg2-bin desktop-file-utils appstream dpkg-dev wget tnftp inetutils-ftp ncftp libglib2.0-bin gvfs-backends gvfs-fuse fuse3 \
  dbus dbus-daemon kde-cli-tools rclone util-linux mount libsqlite3-dev libpoppler-cpp-dev libxxhash-dev zlib1g-dev \
  poppler-utils pdfgrep time file xvfb xauth lintian systemd python3-pyatspi at-spi2-core libssl-dev openssl \
  libmicrohttpd-dev libavahi-client-dev avahi-daemon avahi-utils chromium chromium-driver python3-selenium
PREFIX ?= /usr/local
# The installed programs and the packages: hardened, and only what they hold is built.
RELEASE_BUILD ?= build-release

.PHONY: deps build release run test package-check asan bench screenshots install package clean

deps:
	@missing=$$(for p in $(DEB_PACKAGES); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/velkaro

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	$(MAKE) package-check

# Both packages: lintian, then installed into a scratch root and run from there.
package-check: package
	bash tests/package/packages.sh $(RELEASE_BUILD)

asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELKARO_ASAN=ON
	cmake --build build-asan -j$(JOBS) --target velkaro_tests
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ./build-asan/velkaro_tests

bench: build
	@if [ -x $(BUILD)/velkaro_bench ]; then ./$(BUILD)/velkaro_bench; else echo "no benchmarks built"; fi

screenshots: build
	bash scripts/screenshots.sh $(BUILD)/velkaro docs/screenshots

release: deps
	cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKARO_HARDENING=ON \
	  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
	cmake --build $(RELEASE_BUILD) -j$(JOBS) --target velkaro_packaged

# The programs (stripped: the debug symbols stay in build-release/), desktop file, AppStream metadata, icons,
# manual pages, bash completion and the systemd user unit under PREFIX (DESTDIR is honoured for staging).
install: release
	DESTDIR=$(DESTDIR) cmake --install $(RELEASE_BUILD) --prefix $(PREFIX) --strip

# Two Debian packages of the same files: velkaro_VERSION_ARCH.deb (the command line and the servers, no Qt) and
# velkaro-gui_VERSION_ARCH.deb (the window), stripped, with their debug symbols in -dbgsym .ddeb files.
package: release
	cd $(RELEASE_BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(RELEASE_BUILD) build-asan
