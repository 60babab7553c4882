#!/usr/bin/env bash
# check-includes.sh SOURCE_DIR: fails when an #include runs upwards through the layers of the tree:
# core (no Qt) < cli, sim, gui; inside gui uikit < shell < connect, editors < monitor, settings < the
# program; tests include their own folder's files and tests/support only.
set -uo pipefail
cd "$1" || exit 2
status=0

# Every include line under DIR whose file name matches the extended regex FORBIDDEN is reported with REASON.
refuse() {
    local dir=$1 forbidden=$2 reason=$3 hit
    while IFS= read -r hit; do
        echo "$hit  <- $reason"
        status=1
    done < <(grep -rnE --include='*.h' --include='*.cpp' \
        "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($forbidden)" "$dir")
}

refuse core 'gui/|cli/|sim/|tests/' "core includes only core"
refuse core 'Q[A-Za-z]*>|Qt[A-Za-z]*/' "core is free of Qt"
refuse cli 'gui/|sim/|tests/' "cli builds on core only"
refuse sim 'core/device/|core/transport/|gui/|cli/|tests/' "the simulator shares no device layer with the tools"
refuse gui 'cli/|tests/' "gui includes neither cli nor tests"
refuse gui/uikit 'gui/(shell|connect|editors|monitor|settings)/' "uikit is the bottom of gui"
refuse gui/shell 'gui/(connect|editors|monitor|settings)/' "the shell knows no page"
refuse gui/connect 'gui/(editors|monitor|settings)/' "connect dialogs sit below the pages"
refuse gui/editors 'gui/(connect|monitor|settings)/' "editors sit below the pages"
refuse gui/monitor 'gui/settings/' "the monitoring page and the settings pages are apart"
refuse gui/settings 'gui/monitor/' "the settings pages and the monitoring page are apart"
# Only the program's start-up knows the simulator (for --demo).
while IFS= read -r hit; do
    case $hit in gui/main.cpp:*) ;; *) echo "$hit  <- only gui/main.cpp includes the simulator"; status=1 ;; esac
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"sim/' gui)

# A test file includes test files of its own folder and tests/support only; benches and fuzzers only
# tests/support.
while IFS=: read -r file line text; do
    included=${text#*\"}
    included=${included%%\"*}
    folder=$(dirname "$included")
    case $file in tests/*) own=$(dirname "$file") ;; *) own=tests/support ;; esac
    if [ "$folder" != tests/support ] && [ "$folder" != "$own" ]; then
        echo "$file:$line:$text  <- another folder's test file"
        status=1
    fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"tests/' tests bench fuzz)

# The monitoring page's library links no settings library.
if grep -qE 'orlo_settings' gui/monitor/CMakeLists.txt; then
    echo "gui/monitor/CMakeLists.txt  <- orlo_monitor links a settings library"
    status=1
fi
[ $status -eq 0 ] && echo "every include runs downwards"
exit $status
