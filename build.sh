#!/usr/bin/env bash
# Sets up what Vantrel needs on a Debian or Ubuntu machine, builds it, and then runs either the
# program or the whole test suite.
#   ./build.sh run     build and start Vantrel
#   ./build.sh test    build and run the tests (offscreen, no display needed)
#   ./build.sh package build the Debian package in build-package/
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
case "$mode" in run|test|package) ;; *) echo "usage: $0 run|test|package" >&2; exit 2 ;; esac

packages=(cmake g++ qt6-base-dev qt6-qpa-plugins fonts-dejavu-core)
# The test suite also checks the desktop entry and the AppStream metadata, and walks the
# windows over the accessibility bus.
[ "$mode" = test ] && packages+=(desktop-file-utils appstream xvfb dbus at-spi2-core python3-pyatspi)
# Saves and removals are cut short at every file call through libfiu's POSIX wrappers.
[ "$mode" = test ] && packages+=(libfiu-dev fiu-utils)
# A journey with the real screen reader: Orca speaking through speech-dispatcher, a window
# manager and key presses.
[ "$mode" = test ] && packages+=(orca speech-dispatcher openbox xdotool)
# The package's dependencies come from dpkg-shlibdeps, its compiler flags from dpkg-buildflags.
[ "$mode" = package ] && packages+=(dpkg-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi

if [ "$mode" = package ]; then
    # Debian's own compiler and linker flags, hardening included; only what the package holds.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    # No tests or benchmarks: CPack's install step builds every default target.
    cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
    cmake --build build-package -j"$(nproc)" --target vantrel vantrel_desktop_files
    rm -f build-package/vantrel_*.deb
    cd build-package
    exec cpack -G DEB
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ "$mode" = run ]; then
    # Only the program: the tests and benchmarks wait for `./build.sh test`.
    cmake --build build -j"$(nproc)" --target vantrel
    exec ./build/src/vantrel
else
    cmake --build build -j"$(nproc)"
    cd build
    exec ctest --output-on-failure
fi
