#!/usr/bin/env bash
# scripts/build-qt-windows.sh: builds a static Qt 6 for 64-bit Windows (mingw-w64, posix threads) from
# Debian 12's own qt6-base source package, with the host tools of the installed qt6-base-dev of the
# same version. Installs into ${XDG_CACHE_HOME:-$HOME/.cache}/orlo-x1/qt-<version>-win64-<hash> and
# prints that folder on standard output (everything else goes to standard error); does nothing but
# print it when that folder is complete. `--check` only says whether it is: exit status 0 when it is
# complete, 1 when not (or when qt6-base-dev is not installed), and installs nothing.
# ORLO_QT_JOBS sets the build's parallelism (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
exec 3>&1 1>&2
check=0
[ "${1:-}" = --check ] && check=1
[ "$check" = 1 ] || scripts/install-deps.sh --windows
[ "$check" = 1 ] || scripts/install-deps.sh dpkg-dev

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) || exit 1
upstream=${version%%+*}

# Only what the desktop tool uses. OpenGL stays on: 6.4's Windows platform plugin does not compile
# without it. Debian's source lacks src/3rdparty/wintab, which tablet events need.
options=(
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release -DFEATURE_static_runtime=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_freetype=ON -DFEATURE_jpeg=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_sql_sqlite=OFF
)
hash=$(printf '%s\n' "$version" "${options[@]}" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/orlo-x1
prefix=$cache/qt-$upstream-win64-$hash
if [ -f "$prefix/.complete" ]; then
    [ "$check" = 1 ] || echo "$prefix" >&3
    exit 0
fi
[ "$check" = 0 ] || exit 1

work=$cache/qt-$upstream-win64-work
mkdir -p "$work"
source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
if [ -z "$source_dir" ]; then
    if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
        echo "Adding a deb-src entry for Debian's archive"
        printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\n%s\n%s\n' \
            'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
            "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/orlo-x1-deb-src.sources >/dev/null
        "${sudo_cmd[@]}" apt-get update -qq
    fi
    (cd "$work" && apt-get source -qq "qt6-base=$version")
    source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
fi
[ -d "$source_dir/src/3rdparty/freetype" ] || { echo "no bundled freetype in $source_dir" >&2; exit 1; }

# The project's toolchain file adds our own API-level definitions; Qt picks its own, so it gets a
# plain one naming the same compilers.
toolchain=$work/toolchain.cmake
cat > "$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# Through ccache when there is one (left out of the hash: it changes no output), so that a lost cache
# folder is rebuilt in minutes; the precompiled headers need the sloppiness.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
fi

build=$work/build-$hash
start=$(date +%s)
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${launcher[@]}" "${options[@]}"
fi
cmake --build "$build" --parallel "${ORLO_QT_JOBS:-$(nproc)}"
cmake --install "$build" >/dev/null
touch "$prefix/.complete"
echo "Qt for Windows built in $(($(date +%s) - start)) s"
rm -rf "$build"
echo "$prefix" >&3
