#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, with
# --packaging also those scripts/package.sh needs, and with --windows those
# of the Windows build and its tests; does nothing when they are all
# present. Runs apt-get as root, through sudo otherwise.
set -euo pipefail

# What each package is for; nothing else is used.
packages=(
  build-essential  # g++ and make; its libgcc-12-dev brings the sanitizer runtimes
  cmake
  libcli11-dev     # CLI11, the programs' command lines
  pkg-config       # finds libmosquitto and cpp-httplib for the build
  libmosquitto-dev # the MQTT client library of MQTT publishing and plenx-collect
  mosquitto        # the MQTT broker the broker tests start on a loopback port (never as a service)
  openssl          # makes the broker tests' TLS certificates
  libcpp-httplib-dev  # cpp-httplib, the live page's HTTP server (a header and a shared library)
  libssl-dev       # OpenSSL: the live page's TLS and the digests its tokens are compared by
  qt6-base-dev     # Qt 6 Widgets for plenx-logger (it brings the OpenGL headers Qt's CMake files need)
  qt6-charts-dev   # Qt 6 Charts, plenx-logger's trend charts
  libqt6opengl6-dev  # the Qt 6 OpenGL CMake files, without which Debian 12's Qt Charts is not found
  libgtest-dev     # GoogleTest, the tests
  libbenchmark-dev # Google Benchmark, bench/
  clang-format     # the formatting check of scripts/test.sh
  zlib1g-dev       # zlib, the fuzz targets' independent checker of deflate data and archives
  gzip             # the deflate compressor's byte-for-byte oracle in the tests
  unzip            # checks the archives the tests write
  7zip             # 7zz, a third reader of the tests' archives (ZIP64 records included)
  python3          # its zlib and zipfile read back the tests' deflate streams and archives
  chromium         # the live page's tests and benchmark in a real browser, headless
  dpkg-dev         # dpkg-shlibdeps, which finds the package's dependencies; dpkg-buildflags
  desktop-file-utils  # desktop-file-validate, the package test's check of the desktop entry
  appstream        # appstreamcli, the package test's check of the AppStream metainfo
  groff-base       # groff, the package test's check of the man pages
  xvfb             # an X server of its own for the window tests of tests/desktop/
  openbox          # the window manager there: stacking, focus and modal windows as on a desktop
  xdotool          # the mouse and the keys of those tests
  x11-utils        # xprop and xwininfo: what the window manager did
  imagemagick      # import: screenshots of those tests
)
# scripts/package.sh adds the package checker; the Windows build
# (scripts/build-windows.sh, and the Windows stage of scripts/test.sh) the
# cross compiler, GoogleTest's sources and Wine.
for set in "$@"; do
  case "$set" in
    --packaging)
      packages+=(lintian)
      ;;
    --windows)
      packages+=(
        g++-mingw-w64-x86-64-posix  # the cross compiler: GCC 12 for 64-bit Windows with std::thread
        googletest                  # GoogleTest's sources, built with the cross compiler
        wine64                      # runs the Windows tests (/usr/lib/wine/wine64)
      )
      ;;
    *)
      echo "usage: install-deps.sh [--packaging] [--windows]" >&2
      exit 2
      ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
