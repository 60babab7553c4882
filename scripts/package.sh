#!/usr/bin/env bash
# scripts/package.sh [--output OUTPUT_DIR] [BUILD_DIR]: builds the Debian package
# orlo-x1_VERSION_ARCH.deb with CPack, checks it and puts it in OUTPUT_DIR (default: the repository's
# top folder). BUILD_DIR defaults to build-package, a Release build without tests; an existing build
# folder is packaged as it is, its programs stripped. Install with `apt install ./orlo-x1_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
out=.
if [ "${1:-}" = --output ]; then
    out=$2
    shift 2
fi
dir=${1:-build-package}
out=$(mkdir -p "$out" && realpath "$out")
# dpkg-shlibdeps (dpkg-dev) computes the dependencies; CPack finds the programs with file.
scripts/install-deps.sh dpkg-dev file desktop-file-utils
scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=Release -DORLO_BUILD_TESTS=OFF -DORLO_BUILD_BENCH=OFF
rm -rf "$dir/package"
(cd "$dir" && cpack -G DEB -B "$PWD/package" >/dev/null) || {
    cat "$dir"/package/_CPack_Packages/*/DEB/*.log 2>/dev/null || true
    exit 1
}
deb=$(ls "$dir"/package/orlo-x1_*.deb)
scripts/check-package.sh "$deb"
cp "$deb" "$out/"
echo "$out/$(basename "$deb")"
