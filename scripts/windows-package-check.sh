#!/usr/bin/env bash
# scripts/windows-package-check.sh BUILD_DIR: makes the Windows ZIP of a cross build (CPack), checks that
# it holds the three programs, the mode list and README.txt, unpacks it into an empty folder of the Wine
# prefix and starts orlo-setup.exe --demo --screenshot there (offscreen), then checks the picture and
# that the program wrote nothing outside that folder and %LOCALAPPDATA%\orlo-x1.
set -euo pipefail
dir=$(realpath "$1")
export WINEPREFIX=${WINEPREFIX:-$dir/wineprefix} WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="

(cd "$dir" && rm -f orlo-x1-*-windows-x64.zip && cpack -G ZIP >/dev/null)
zip=$(ls "$dir"/orlo-x1-*-windows-x64.zip)
top=$(basename "$zip" .zip)
listing=$(cmake -E tar tf "$zip")
for file in orlo-setup.exe orloctl.exe orlo-sim.exe conf/aml.dat README.txt; do
    grep -qx "$top/$file" <<<"$listing" || { echo "the Windows package lacks $file"; exit 1; }
done

drive=$WINEPREFIX/drive_c
unpacked=$drive/orlo-package-check
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
user_files=$(find "$drive/users" -maxdepth 3 -iname 'AppData' -print -quit)/Local/orlo-x1
stamp=$(mktemp)
trap 'rm -f "$stamp"' EXIT
sleep 1

picture=$unpacked/$top/demo.png
(cd "$unpacked/$top" && QT_QPA_PLATFORM=offscreen timeout 120 wine ./orlo-setup.exe --demo --screenshot 'demo.png')
wineserver --wait
[ -s "$picture" ] || { echo "orlo-setup.exe --demo --screenshot wrote no picture"; exit 1; }

# Wine keeps its registry and its own caches in the prefix; anything else new is the program's.
written=$(find "$drive" -newer "$stamp" -type f \
    ! -path "$unpacked/*" ! -path "$user_files/*" ! -path "$drive/windows/*" | sort)
if [ -n "$written" ]; then
    echo "orlo-setup.exe wrote outside its folder:"
    echo "$written"
    exit 1
fi
echo "Windows package $(basename "$zip"): $(wc -l <<<"$listing") entries, orlo-setup.exe --demo ran from it"
