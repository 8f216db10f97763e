#!/usr/bin/env bash
# Redraws the README's pictures from the real windows, without a display.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build --target readme_shots -j"$(nproc)"
QT_QPA_PLATFORM=offscreen TMPDIR="$(mktemp -d)" ./build/tests/readme_shots docs
echo "docs/startup.png, docs/chart-group.png"
