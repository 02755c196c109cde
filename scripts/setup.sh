#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks, the formatting check, the
# fuzz targets and the window need, when any is missing.
set -euo pipefail

packages=(cmake make g++ pkg-config libpcre2-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-svg-dev clang-format clang-14 libclang-rt-14-dev fonts-dejavu-core
          fonts-dejavu-extra xvfb xauth)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
