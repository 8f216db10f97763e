#!/usr/bin/env bash
# Sets up what Vantrel needs on a Debian or Ubuntu machine, builds it, and then runs either the
# program or the whole test suite.
#   ./build.sh run     build and start Vantrel
#   ./build.sh test    build and run the tests (offscreen, no display needed)
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
case "$mode" in run|test) ;; *) echo "usage: $0 run|test" >&2; exit 2 ;; esac

packages=(cmake g++ qt6-base-dev qt6-qpa-plugins fonts-dejavu-core)
# The test suite also checks the desktop entry and the AppStream metadata.
[ "$mode" = test ] && packages+=(desktop-file-utils appstream)
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
