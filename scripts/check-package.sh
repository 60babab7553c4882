#!/usr/bin/env bash
# scripts/check-package.sh DEB: unpacks the package into a throw-away folder and checks that every
# file lands where the install rules put it (scripts/check-installed-files.sh on its usr/), that
# dpkg lists the same files, and that dpkg-shlibdeps gave it its dependencies.
set -euo pipefail
deb=$(realpath "$1")
here=$(dirname "$0")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

# Only /usr, nothing of it writable by others, owned by root.
[ "$(ls -A "$root")" = usr ] || { echo "FAIL: the package installs outside /usr: $(ls -A "$root")" >&2; exit 1; }
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub(/^\.\//, "", $6); print $6}' | LC_ALL=C sort)
unpacked=$(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$listed" = "$unpacked" ] || { echo "FAIL: dpkg-deb -c and the unpacked tree differ" >&2; exit 1; }
if dpkg-deb -c "$deb" | awk '{print $1, $2}' | grep -v ' root/root$' | grep -q .; then
    echo "FAIL: files not owned by root/root" >&2
    exit 1
fi
if dpkg-deb -c "$deb" | awk '{print substr($1, 9, 1)}' | grep -q w; then
    echo "FAIL: files writable by others" >&2
    exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 libpng16-16; do
    grep -q "\b$library\b" <<<"$depends" || { echo "FAIL: Depends lacks $library: $depends" >&2; exit 1; }
done

"$here/check-installed-files.sh" "$root/usr"
echo "$(basename "$deb"): $(wc -l <<<"$listed") files; Depends: $depends"
