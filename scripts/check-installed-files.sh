#!/usr/bin/env bash
# scripts/check-installed-files.sh PREFIX [LIST]: checks an installed tree (a `cmake --install`
# prefix, or usr/ of an unpacked package) against the list of files the install rules give
# (default packaging/installed-files.txt), and that what is there works: the programs start, the
# manual pages describe every option and command the programs name, the completion offers every
# command and setting, the icons have their sizes and the desktop entry is valid.
set -euo pipefail
prefix=$(realpath "$1")
list=$(realpath "${2:-$(dirname "$0")/../packaging/installed-files.txt}")
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Exactly the listed files, nothing more, nothing less.
actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
if ! difference=$(diff <(LC_ALL=C sort "$list") <(echo "$actual")); then
    fail "installed files differ from $list (< missing, > not listed):"
    echo "$difference" >&2
fi

for program in orlo-setup orloctl orlo-sim; do
    binary=$prefix/bin/$program
    [ -x "$binary" ] || { fail "$program is not an executable file"; continue; }
    help=$("$binary" --help) || fail "$program --help failed"
    manual=$prefix/share/man/man1/$program.1.gz
    [ -f "$manual" ] || continue
    text=$(gzip -dc "$manual" | sed 's/\\-/-/g')
    for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -q -- "$option" <<<"$text" || fail "the manual page of $program does not describe $option"
    done
    if command -v man >/dev/null; then
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null) ||
            fail "man cannot show $manual"
        [ -z "$warnings" ] || fail "man warns about $manual: $warnings"
    fi
done

# The commands orloctl --help names, and the settings get --help names.
ctl=$prefix/bin/orloctl
commands=$("$ctl" --help | sed -n '/^Commands:/,/^$/p' | grep -oE '^  [a-z]+( \| [a-z]+)*' | tr -d ' ' | tr '|' '\n' | sort)
settings=$("$ctl" get --help | sed -n '/^Names/,$p' | grep -oE '^  [a-z-]+' | tr -d ' ' | sort)
[ "$(wc -l <<<"$commands")" -ge 10 ] || fail "too few commands read from orloctl --help: $commands"
manual_text=$(gzip -dc "$prefix/share/man/man1/orloctl.1.gz" 2>/dev/null | sed 's/\\-/-/g' || true)
for command in $commands; do
    grep -qE "^\.(B|BI|BR) .*\b$command\b" <<<"$manual_text" ||
        fail "the manual page of orloctl does not describe the command $command"
done

completion=$prefix/share/bash-completion/completions/orloctl
complete_words() {
    # Completes the last word of the command line given as arguments, as bash does at a TAB.
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"
             COMP_POINT=${#COMP_LINE}; _orloctl; printf "%s\n" "${COMPREPLY[@]}" | sort' _ "$completion" "$@"
}
if [ -f "$completion" ]; then
    [ "$(complete_words orloctl '')" = "$commands" ] || fail "orloctl <TAB> does not offer exactly: $commands"
    [ "$(complete_words orloctl --lan 127.0.0.1 --baud 9600 get '')" = "$settings" ] ||
        fail "orloctl get <TAB> does not offer exactly: $settings"
    [ "$(complete_words orloctl --lan 127.0.0.1 i)" = "$(printf '%s\n' import info initialize)" ] ||
        fail "orloctl i<TAB> does not offer import, info, initialize"
    grep -qx -- --baud <<<"$(complete_words orloctl --)" || fail "orloctl --<TAB> does not offer --baud"
fi

for icon in "$prefix"/share/icons/hicolor/*/apps/orlo-setup.png; do
    [ -e "$icon" ] || continue
    size=$(basename "$(dirname "$(dirname "$icon")")")
    # The PNG header holds width and height as 32-bit big-endian numbers at bytes 16 and 20.
    read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "${width}x${height}" = "$size" ] || fail "$icon is ${width}x${height}"
done

desktop=$prefix/share/applications/orlo-setup.desktop
if [ -f "$desktop" ]; then
    grep -qx 'Exec=orlo-setup' "$desktop" || fail "the desktop entry does not start orlo-setup"
    grep -qx 'Icon=orlo-setup' "$desktop" || fail "the desktop entry does not name the icon"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
    fi
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "installed tree under $prefix: $(wc -l <<<"$actual") files as listed, all checks passed"
