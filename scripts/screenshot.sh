#!/usr/bin/env bash
# Draws docs/screenshot.png: the window with the sample dictionary after a search, under a virtual
# X display. Usage: scripts/screenshot.sh [BUILD_DIR] (default build).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build"
fi
cmake --build "$build" --target ui_screenshot -j "$(nproc)"

mkdir -p docs
# xvfb-run picks a free display; the window draws through X as on a desktop.
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96 -nolisten tcp" \
    "$build/bin/ui_screenshot" docs/screenshot.png
echo "Wrote docs/screenshot.png"
