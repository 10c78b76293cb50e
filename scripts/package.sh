#!/usr/bin/env bash
# Builds the Debian package build-package/plenx-logger_<version>_<arch>.deb
# and checks it with lintian, which must report no error. The build has a
# folder of its own, with Debian's hardening flags and without the tests and
# benchmarks; CPack packs what `cmake --install` installs, and
# dpkg-shlibdeps finds the dependencies from the libraries the programs
# link. Install the result with: sudo apt install ./build-package/plenx-logger_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --packaging

# The package's dates from the last commit, so the same sources give the
# same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
fi

# Debian's flags for packaged programs: fortified C library calls, stack
# protector, read-only relocations bound at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPLENX_BUILD_TESTS=OFF -DPLENX_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build-package -j"$(nproc)"
rm -f build-package/plenx-logger_*.deb
(cd build-package && cpack -G DEB)

debs=(build-package/plenx-logger_*.deb)
echo "== lintian =="
lintian --fail-on error "${debs[0]}"
echo "Built ${debs[0]}; install it with: sudo apt install ./${debs[0]}"
