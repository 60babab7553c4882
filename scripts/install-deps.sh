#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need (and those given as
# arguments); does nothing when all are present.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libpng-dev libgtest-dev libgmock-dev
          libbenchmark-dev qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev fonts-noto-cjk
          xvfb xauth x11-utils libxcb1-dev qt6-translations-l10n clang libclang-rt-14-dev ccache
          poppler-utils)
# --windows: only what the Windows cross build and its tests under Wine need; other arguments are
# further packages a script needs besides these.
if [ "${1:-}" = --windows ]; then
    # Qt's host tools and its Japanese texts for the desktop build; a virtual display and the CJK fonts for
    # its tests under Wine.
    packages=(cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix googletest wine wine64 ccache
              qt6-base-dev qt6-base-dev-tools qt6-translations-l10n xvfb xauth fonts-noto-cjk)
else
    packages+=("$@")
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
