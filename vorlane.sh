#!/bin/sh
# Builds Vorlane and runs the show (./vorlane.sh [vorlane options]), the
# whole test suite (./vorlane.sh test), the suite under AddressSanitizer
# and UBSan (./vorlane.sh test-asan), the Debian package (./vorlane.sh deb)
# or the package and its checks (./vorlane.sh test-deb); builds the
# browser's site into build-web/site (./vorlane.sh web) and tests it in
# headless Chromium (./vorlane.sh test-web). Installs the Debian packages it
# needs first when they are missing.
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
fonts="fonts-liberation fonts-lato fonts-dejavu-core"
case "${1:-}" in
    # The package is made with Debian's tools and checked with its validators.
    deb) packages="$packages dpkg-dev debhelper" ;;
    test-deb) packages="$packages dpkg-dev debhelper lintian desktop-file-utils appstream man-db" ;;
    # The browser build needs only emscripten and the font files it ships;
    # its test drives Chromium from Node.js and compares with the native show.
    web) packages="cmake ninja-build emscripten $fonts" ;;
    test-web) packages="$packages emscripten chromium nodejs npm" ;;
esac

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
# Node.js from elsewhere than Debian (its own npm included) will do.
if command -v node >/dev/null && command -v npm >/dev/null; then
    missing=$(echo "$missing" | sed 's/ nodejs//; s/ npm//')
fi
if [ -n "$missing" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "vorlane.sh: missing Debian packages; install them with:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y$missing" >&2
        exit 1
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
fi

if [ "${1:-}" = "web" ]; then
    # Debian's emscripten runs its JavaScript tools with the Node.js
    # modules Debian keeps there, whichever Node.js is first on the path.
    export NODE_PATH=/usr/share/nodejs
    emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    exec cmake --build build-web
fi

if [ "${1:-}" = "test-web" ]; then
    "$0" web
    cmake --preset default >/dev/null
    cmake --build --preset default --target vorlane
    exec sh tests/web/run.sh
fi

if [ "${1:-}" = "test-asan" ]; then
    cmake --preset asan >/dev/null
    cmake --build --preset asan
    exec ctest --preset asan
fi

# The package comes from build/ as it stands (after CI's test run, with
# warnings as errors), so the build that was tested is the one packaged;
# its files land in build/, not in the folder above the checkout.
if [ "${1:-}" = "deb" ] || [ "${1:-}" = "test-deb" ]; then
    cmake --preset default >/dev/null
    version=$(dpkg-parsechangelog -S Version)
    name=build/vorlane_${version}_$(dpkg-architecture -q DEB_HOST_ARCH)
    dpkg-buildpackage -b --no-sign \
        --buildinfo-file="$name.buildinfo" --buildinfo-option=-ubuild \
        --changes-file="$name.changes" --changes-option=-ubuild
    debian/rules clean >/dev/null
    echo "vorlane.sh: built $name.deb"
    if [ "$1" = "test-deb" ]; then
        exec tests/dist/package_test.sh "$name.deb"
    fi
    exit 0
fi

# Warnings are errors for the test run (what CI runs), not for a user's build.
if [ "${1:-}" = "test" ]; then werror=ON; else werror=OFF; fi
cmake --preset default -DVORLANE_WERROR=$werror >/dev/null
cmake --build --preset default

if [ "${1:-}" = "test" ]; then
    exec ctest --preset default
fi
exec ./build/vorlane "$@"
