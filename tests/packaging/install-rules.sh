#!/usr/bin/env bash
# tests/packaging/install-rules.sh BUILD_DIR: `cmake --install` into a fresh prefix and check that
# tree against the list of installed files.
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
"$(dirname "$0")/../../scripts/check-installed-files.sh" "$prefix"
