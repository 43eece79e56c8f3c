#!/bin/sh
# Builds Vorlane and runs the show (./vorlane.sh [vorlane options]), the
# whole test suite (./vorlane.sh test), or the suite under AddressSanitizer
# and UBSan (./vorlane.sh test-asan). Installs the Debian packages it needs
# first when they are missing.
set -eu
cd "$(dirname "$0")"

# Build tools and libraries, the software OpenGL stack for headless runs,
# the fonts the show's text is drawn with, and an X server with a client
# library for the test that closes the setup dialog.
packages="cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libepoxy-dev libfreetype-dev libfontconfig-dev libpng-dev libjpeg62-turbo-dev
  libegl1 libegl-mesa0 libgl1-mesa-dri
  fontconfig fonts-liberation fonts-lato fonts-dejavu-core
  xvfb python3-xlib"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
if [ -n "$missing" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "vorlane.sh: missing Debian packages; install them with:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y$missing" >&2
        exit 1
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
fi

if [ "${1:-}" = "test-asan" ]; then
    cmake --preset asan >/dev/null
    cmake --build --preset asan
    exec ctest --preset asan
fi

# Warnings are errors for the test run (what CI runs), not for a user's build.
if [ "${1:-}" = "test" ]; then werror=ON; else werror=OFF; fi
cmake --preset default -DVORLANE_WERROR=$werror >/dev/null
cmake --build --preset default

if [ "${1:-}" = "test" ]; then
    exec ctest --preset default
fi
exec ./build/vorlane "$@"
