#!/usr/bin/env bash
# Builds the Debian package the way Debian builds its own packages: the
# compiler and linker flags of dpkg-buildflags, hardening included, in a build
# folder of its own (./build-deb, or $BUILD_DIR). Like Debian's tools, it
# signs the package with DEBFULLNAME and DEBEMAIL when they are set.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh --packages-only

build_dir="${BUILD_DIR:-build-deb}"
export DEB_BUILD_MAINT_OPTIONS="${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}"
# CMake takes no CPPFLAGS (where _FORTIFY_SOURCE is); dh adds them to the
# compiler's flags, and so does this. The flags are passed on every run, so
# a folder configured before gets them too.
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF -DKALO_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/kalosaver_*.deb
