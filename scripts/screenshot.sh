#!/usr/bin/env bash
# Draws docs/screenshot.png and docs/screenshot_panel.png: the window with the sample dictionary
# after a search, and with its panel open after a rhyme search, under a virtual X display. Usage: scripts/screenshot.sh [BUILD_DIR] (default build).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build"
fi
cmake --build "$build" --target ui_screenshot -j "$(nproc)"

mkdir -p docs
# xvfb-run picks a free display; the window draws through X as on a desktop.
# A configuration folder of its own: the window opens as designed, its panel closed.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$config" \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96 -nolisten tcp" \
    "$build/bin/ui_screenshot" docs/screenshot.png docs/screenshot_panel.png
echo "Wrote docs/screenshot.png and docs/screenshot_panel.png"
