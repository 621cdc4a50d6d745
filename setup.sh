#!/usr/bin/env bash
# Installs what KaloSaver needs to build and test (only what is missing), then
# configures and builds it in ./build (or the folder given as $BUILD_DIR).
# "--packages-only [PACKAGE...]" stops after installing, with the packages
# named besides (for CI's own tools).
set -euo pipefail
cd "$(dirname "$0")"

packages=(qt6-base-dev qt6-qpa-plugins libxcb1-dev libxcb-xinput-dev pkg-config locales cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xdotool imagemagick x11-utils fonts-dejavu-core python3-tk xscreensaver xserver-xephyr x11-xserver-utils
          desktop-file-utils appstream libxml2-utils man-db groff-base shared-mime-info libglib2.0-bin
          dpkg-dev file procps sway swayidle grim wtype qt6-wayland)
# Installs the packages named that are not installed yet.
install_missing() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
install_missing "${packages[@]}"

# Optional, for the host-settings test: Xfce's screensaver settings app and
# the Python bindings it runs on, where the distribution has them (Debian 13
# and later); elsewhere that test is skipped.
# grep reads all that apt-cache says: with -q it could stop first, and under
# pipefail apt-cache's broken pipe would then read as "not there".
if apt-cache show xfce4-screensaver 2>/dev/null | grep -c '^Package:' >/dev/null; then
  install_missing xfce4-screensaver python3-gi gir1.2-gtk-3.0 gir1.2-xfconf-0 gir1.2-libxfce4util-1.0
fi
if [ "${1:-}" = --packages-only ]; then
  shift
  install_missing "$@"
  exit 0
fi

build_dir="${BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
