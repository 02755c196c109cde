#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks, the formatting check and the
# window need, when any is missing; with --packaging also those that build and check the .deb,
# with --fuzzing the compiler and runtime of the fuzz targets.
set -euo pipefail

packages=(cmake make g++ pkg-config libpcre2-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-svg-dev clang-format fonts-dejavu-core fonts-dejavu-extra xvfb xauth
          libespeak-ng-dev espeak-ng-data libhunspell-dev hunspell-ru)

# Extras: --packaging for make deb and the package checks, --fuzzing for make fuzz.
for extra in "$@"; do
    case $extra in
        --packaging) packages+=(dpkg-dev fakeroot file desktop-file-utils appstream lintian) ;;
        # libclang-rt-14-dev holds libFuzzer; clang-14 only recommends it.
        --fuzzing) packages+=(clang-14 libclang-rt-14-dev) ;;
        *) echo "setup.sh: unknown option $extra" >&2; exit 2 ;;
    esac
done

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
