#!/usr/bin/env bash
# scripts/windows-package-check.sh BUILD_DIR: makes the Windows ZIP of a cross build (CPack) and checks
# that it holds orloctl.exe and orlo-sim.exe. When the build has the desktop tool (ORLO_WINDOWS_QT=on),
# also orlo-setup.exe, the mode list and README.txt: the ZIP is unpacked into an empty folder of the Wine
# prefix, orlo-setup.exe --demo --screenshot runs there (offscreen, on Xvfb for Wine's window driver),
# and the picture is checked, and that the program wrote nothing outside that folder and
# %LOCALAPPDATA%\orlo-x1.
set -euo pipefail
dir=$(realpath "$1")
export WINEPREFIX=${WINEPREFIX:-$dir/wineprefix} WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="

(cd "$dir" && rm -f orlo-x1-*-windows-x64.zip && cpack -G ZIP >/dev/null)
zip=$(ls "$dir"/orlo-x1-*-windows-x64.zip)
top=$(basename "$zip" .zip)
listing=$(cmake -E tar tf "$zip")
expected=(orloctl.exe orlo-sim.exe)
[ -f "$dir/orlo-setup.exe" ] && expected+=(orlo-setup.exe conf/aml.dat README.txt)
for file in "${expected[@]}"; do
    grep -qx "$top/$file" <<<"$listing" || { echo "the Windows package lacks $file"; exit 1; }
done
if [ ! -f "$dir/orlo-setup.exe" ]; then
    echo "Windows package $(basename "$zip"): the Qt-free programs"
    exit 0
fi

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
# Wine needs a window driver even for Qt's offscreen platform (its event dispatcher makes a window). Wine
# does not pass QT_* variables on, so the platform goes on the command line.
(cd "$unpacked/$top" && timeout 120 xvfb-run --auto-servernum \
    --server-args="-screen 0 1280x1024x24 -nolisten tcp" wine ./orlo-setup.exe -platform offscreen --demo \
    --screenshot 'demo.png')
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
