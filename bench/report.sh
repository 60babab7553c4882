#!/usr/bin/env bash
# bench/report.sh [--table-only] [BUILD_DIR]: builds the benchmarks, runs every benchmark and script of bench/ and
# prints one markdown table: figure, our value, the original design's value measured in the same run
# (where there is one), their ratio, the target and whether it is met. The machine and the date come
# first; each program's whole output is kept in BUILD_DIR/bench-report/. About 10 minutes on 2 cores.
# --table-only prints the table again from the outputs of the last run.
# Environment: ORLO_XVFB_DISPLAY (default :97) for the virtual X server; SOAK_CYCLES (default 1000 per
# link; the soak's own default is 10,000); ORLO_WINDOWS_BUILD (default build-windows beside bench/): a
# Windows cross build with orlo-setup.exe, whose start-up and memory under Wine are added for information.
set -uo pipefail
table_only=
if [ "${1:-}" = --table-only ]; then
    table_only=1
    shift
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "${1:-$here/../build}")
display=${ORLO_XVFB_DISPLAY:-:97}
soak_cycles=${SOAK_CYCLES:-1000}
logs=$build/bench-report
started=$(date +%s)
load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)

if [ -z "$table_only" ]; then
    [ -f "$build/build.ninja" ] || cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target detection_decode imaging_convert picture_composition acquisition_loop \
        transport_idle_cpu sim_throughput icmp_scan flood_memory command_log_memory soak session_abort editor_repaint \
        fleet_identify fleet_export \
        detection_previews \
        responsiveness orlo-setup orloctl >/dev/null || { echo "build failed" >&2; exit 1; }
    rm -rf "$logs" && mkdir -p "$logs"

    # run NAME COMMAND...: the command's output in NAME.log, its exit status in NAME.status.
    run() {
        local name=$1
        shift
        echo "running $name ..." >&2
        "$@" >"$logs/$name.log" 2>&1
        echo $? >"$logs/$name.status"
    }

    b=$build/bench
    run detection_decode "$b/detection_decode" --benchmark_min_time=1
    run imaging_convert "$b/imaging_convert" --benchmark_min_time=1
    run picture_composition env QT_QPA_PLATFORM=offscreen "$b/picture_composition"
    run acquisition_loop "$b/acquisition_loop" --seconds 10
    run transport_idle_cpu "$b/transport_idle_cpu" --seconds 5
    run sim_throughput "$b/sim_throughput"
    run icmp_scan "$b/icmp_scan"
    run flood_memory "$b/flood_memory" "$build/cli/orloctl"
    run command_log_memory "$b/command_log_memory" 6000 "$build/cli/orloctl"
    run soak "$b/soak" --cycles "$soak_cycles"
    run session_abort "$b/session_abort"
    run fleet_identify "$b/fleet_identify"
    run fleet_export "$b/fleet_export" 5 "$build/cli/orloctl"
    run fleet_export_nodelay "$b/fleet_export" 0 "$build/cli/orloctl"
    run editor_repaint env QT_QPA_PLATFORM=offscreen "$b/editor_repaint"
    run detection_previews env QT_QPA_PLATFORM=offscreen "$b/detection_previews"

    # The window system's own programs: a virtual X server for the start-up time and the probe.
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
    sleep 1
    for i in 1 2 3; do
        run "startup$i" env DISPLAY="$display" QT_QPA_PLATFORM=xcb "$b/responsiveness" --startup
    done
    run responsiveness env DISPLAY="$display" QT_QPA_PLATFORM=xcb "$b/responsiveness"
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    trap - EXIT
    run tool_cpu env ORLO_XVFB_DISPLAY="$display" "$here/tool_cpu.sh" "$build" 20
    windows_build=${ORLO_WINDOWS_BUILD:-$here/../build-windows}
    if [ -f "$windows_build/orlo-setup.exe" ]; then
        run windows_startup "$here/windows_startup.sh" "$windows_build" 3
    fi
    echo "$(($(date +%s) - started)) s; load average at the start $load_at_start, at the end $(cut -d' ' -f1-3 /proc/loadavg)" >"$logs/seconds"
    date -u '+%Y-%m-%d %H:%M UTC' >"$logs/date"
fi

# --- figures -------------------------------------------------------------------------------------
log() { cat "$logs/$1.log" 2>/dev/null; }
failed() { [ "$(cat "$logs/$1.status" 2>/dev/null)" != 0 ]; }
# First number after a word in the lines that match a pattern: num LOG PATTERN WORD
num() { log "$1" | grep -E -- "$2" | head -n1 | grep -oE -- "$3 *[-+]?[0-9.]+" | grep -oE '[-+]?[0-9.]+$'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || a + 0 == 0 || b + 0 == 0) print "—"
    else if (a / b < 0.1) printf "1/%.0f", b / a; else printf "%.2f", a / b }'; }
# check VALUE OP LIMIT -> yes/no
check() { awk -v v="$1" -v l="$3" -v op="$2" 'BEGIN { if (v == "") { print "no (no figure)"; exit }
    ok = (op == "<") ? v < l : (op == "<=") ? v <= l : (op == ">=") ? v >= l : 0; print ok ? "yes" : "no" }'; }
row() { printf '| %s | %s | %s | %s | %s | %s |\n' "$@"; }
median3() { printf '%s\n' "$@" | sort -n | sed -n 2p; }

decode=$(log detection_decode | awk '/^DetectOnceFullResponse/ {print $2; exit}')
convert=$(log imaging_convert | awk '$1 == "GreyToBgr24" {print ($3 == "ns") ? $2 / 1000 : $2; exit}')
comp_med=$(num picture_composition 'update \+ draw' 'median')
comp_p99=$(num picture_composition 'update \+ draw' 'p99')
fps_ours=$(num acquisition_loop 'frames/s \[ours\]' ':')
fps_orig=$(num acquisition_loop 'frames/s \[original\]' ':')
wire_ours=$(log acquisition_loop | grep 'ratio .*\[ours\]' | grep -oE 'ratio [0-9.]+' | awk '{print $2}' | sort -n | tail -n1)
wire_orig=$(log acquisition_loop | grep 'ratio .*\[original\]' | grep -oE 'ratio [0-9.]+' | awk '{print $2}' | sort -n | tail -n1)
tcp_idle=$(num acquisition_loop 'TCP connected, parked.*\[ours\]' 'parked:')
tcp_mon=$(num acquisition_loop 'TCP monitoring.*\[ours\]' '3000:')
pty_idle_ours=$(num acquisition_loop 'pty 460800 connected, parked.*\[ours\]' 'parked:')
pty_idle_orig=$(num acquisition_loop 'pty 460800 connected, parked.*\[original\]' 'parked:')
pty_mon_ours=$(num acquisition_loop 'pty 460800 monitoring.*\[ours\]' '3000:')
pty_mon_orig=$(num acquisition_loop 'pty 460800 monitoring.*\[original\]' '3000:')
loop_rss=$(num acquisition_loop 'peak RSS' 'RSS')
serial_idle=$(num transport_idle_cpu '^idle' 'idle:')
sim_rate=$(log sim_throughput | grep -oE '[0-9]+ responses/s' | awk '{print $1}')
tool_cpu=$(num tool_cpu 'of one core' ':')
tool_rss=$(num tool_cpu 'peak RSS' 'RSS:')
flood_rss=$(log flood_memory | grep -oE 'peak RSS [0-9.]+' | awk '{print $3}' | sort -n | tail -n1)
log_rss=$(log command_log_memory | grep -oE 'peak RSS [0-9.]+' | awk '{print $3}' | sort -n | tail -n1)
startup=$(median3 "$(num startup1 'first paint' ':')" "$(num startup2 'first paint' ':')" "$(num startup3 'first paint' ':')")
wine_shown=$(median3 $(log windows_startup | grep -oE 'shown after [0-9]+' | awk '{print $3}'))
wine_rss=$(log windows_startup | grep -oE 'peak RSS [0-9.]+' | awk '{print $3}' | sort -n | tail -n1)
stall=$(num responsiveness 'longest stall of all' 'scenarios:')
stall_where=$(log responsiveness | sed -n 's/^longest stall of all scenarios: [0-9.]* ms (\(.*\));.*/\1/p')
scan_lo=$(num icmp_scan '^127\.0\.0\.1-255:' ':')
scan_lo_orig=$(num icmp_scan '^127\.0\.0\.1-255 original' ':')
scan_silent=$(num icmp_scan '^192\.0\.2\.1-255:' ':')
scan_silent_orig=$(num icmp_scan '^192\.0\.2\.1-255 original' ':')
editor_p99=$(log editor_repaint | grep -oE 'p99 [0-9.]+' | awk '{print $2}' | sort -n | tail -n1)
previews_p99=$(num detection_previews 'previews' 'p99')
soak_summary=$(log soak | awk '/^TCP loopback|^pty/ {link = ($1 == "TCP") ? "TCP" : "pty"}
    /faults survived/ {s = s link ": " $1 " s, faults survived " $5 " of " $7}
    /RSS after warm-up/ {gsub(/[(]/, "", $10); s = s ", RSS " $10 " KiB after warm-up"}
    /fds before/ {gsub(/[,;]/, ""); s = s ", fds " $3 " before and " $6 " after, threads " $9 " and " $12 "; "}
    END {print s}')

# The responsiveness probe's cancels: click on 中止 (or the close request) to the end of the wait.
cancel_ms() { log responsiveness | grep 'click to end' | grep -E -- "$1" | grep -vE -- "${2:-^$}" |
    sed -E 's/.*click to end +([0-9.]+) ms.*/\1/' | sort -n | tail -n1; }
cancel_max=$(cancel_ms 'cancel: ' 'apply')
cancel_where=$(log responsiveness | grep 'click to end' | grep 'cancel: ' | grep -v apply | awk '{ v = $0
    sub(/.*click to end +/, "", v); sub(/ ms.*/, "", v); if (w == "" || v + 0 > m + 0) { m = v; w = $0 } }
    END { sub(/ +click to end.*/, "", w); sub(/  +/, ": ", w); gsub(/  +/, " ", w); print w }')
cancel_apply=$(cancel_ms 'cancel: detection page apply')
close_tcp=$(cancel_ms '^tcp .*close, sensor frozen')
close_pty=$(cancel_ms '^pty .*close, sensor frozen')
close_tcp_wait=$(log responsiveness | grep -E '^tcp .*close, sensor frozen .*click to end' | grep -oE 'time-out: [0-9]+' | grep -oE '[0-9]+$')
close_pty_wait=$(log responsiveness | grep -E '^pty .*close, sensor frozen .*click to end' | grep -oE 'time-out: [0-9]+' | grep -oE '[0-9]+$')
identify_scan=$(num fleet_identify '^scan .* --identify' ':')
identify_all=$(num fleet_identify '^identify .* without the sweep' ':')
fleet_singles=$(num fleet_export 'single exports one after another' ':')
fleet_time=$(num fleet_export '^fleet export of' ':')
fleet_rss=$(num fleet_export 'peak RSS' 'RSS')
fleet0_singles=$(num fleet_export_nodelay 'single exports one after another' ':')
fleet0_time=$(num fleet_export_nodelay '^fleet export of' ':')

# The worst abort of every case, and the time-outs a frozen sensor's detection waits for without one.
abort_max=$(log session_abort | awk 'NR > 1 && $(NF - 1) + 0 > m {m = $(NF - 1)} END {if (m != "") print m}')
abort_tcp_wait=$(log session_abort | awk '/^detection, frozen sensor, TCP/ {print $NF}')
abort_pty_wait=$(log session_abort | awk '/^detection, frozen sensor, pty/ {print $NF}')

elapsed=$(cat "$logs/seconds" 2>/dev/null)
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
mem=$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)
# shellcheck disable=SC1091
os=$(. /etc/os-release && echo "$PRETTY_NAME")
echo "# Figures"
echo
echo "$(cat "$logs/date" 2>/dev/null); $cpu, $(nproc) cores, $mem, $os, kernel $(uname -r);"
echo "report took ${elapsed}."
echo
row "figure" "ours" "original design" "ratio (ours ÷ original)" "target" "met"
row "---" "---" "---" "---" "---" "---"
row "decoding one full detection response (320 x 240, block; \`detection_decode\`)" "${decode:-?} µs" "—" "—" "< 1000 µs" "$(check "$decode" '<' 1000)"
row "grey to 24-bit, 320 x 240 (\`imaging_convert\`)" "${convert:-?} µs" "—" "—" "< 1000 µs" "$(check "$convert" '<' 1000)"
row "composition: cycle update + drawing, 20 results and the tint (\`picture_composition\`)" "median ${comp_med:-?} ms, p99 ${comp_p99:-?} ms" "—" "—" "median < 2 ms, p99 < 5 ms" "$(check "$comp_p99" '<' 5)"
row "monitoring loop over TCP loopback, RenewInterval 0 (\`acquisition_loop\`; original: receive wait polling every 1 ms)" "${fps_ours:-?} frames/s" "${fps_orig:-?} frames/s" "$(ratio "$fps_ours" "$fps_orig")" ">= 200 frames/s" "$(check "$fps_ours" '>=' 200)"
row "cycle / wire time, pty at 460800 baud, paced (worst of a human and a motion cycle; original: busy-polling reader, 1-ms wait)" "${wire_ours:-?}" "${wire_orig:-?}" "$(ratio "$wire_ours" "$wire_orig")" "<= 1.01 (20 ms on 2 s)" "$(check "$wire_ours" '<=' 1.01)"
row "CPU, connected and parked, TCP (loop, session, in-process simulator)" "${tcp_idle:-?} %" "—" "—" "< 0.5 % of a core" "$(check "$tcp_idle" '<' 0.5)"
row "CPU, connected and parked, pty 460800 (original: busy-polling reader)" "${pty_idle_ours:-?} %" "${pty_idle_orig:-?} %" "$(ratio "$pty_idle_ours" "$pty_idle_orig")" "< 0.5 % of a core" "$(check "$pty_idle_ours" '<' 0.5)"
row "CPU, monitoring every 3000 ms, TCP" "${tcp_mon:-?} %" "—" "—" "< 2 % of a core" "$(check "$tcp_mon" '<' 2)"
row "CPU, monitoring every 3000 ms, pty 460800 (original: busy-polling reader, 1-ms wait)" "${pty_mon_ours:-?} %" "${pty_mon_orig:-?} %" "$(ratio "$pty_mon_ours" "$pty_mon_orig")" "< 2 % of a core" "$(check "$pty_mon_ours" '<' 2)"
row "CPU, serial link open and idle, transport alone (\`transport_idle_cpu\`)" "${serial_idle:-?} %" "—" "—" "< 1 % of a core" "$(check "$serial_idle" '<' 1)"
row "CPU, the whole tool monitoring every 3000 ms under Xvfb (\`tool_cpu.sh\`)" "${tool_cpu:-?} %" "—" "—" "< 2 % of a core" "$(check "$tool_cpu" '<' 2)"
row "start-up to the first paint of the main window, Xvfb (median of 3; \`responsiveness --startup\`)" "${startup:-?} ms" "—" "—" "< 1000 ms" "$(check "$startup" '<' 1000)"
row "peak RSS, the whole tool monitoring (\`tool_cpu.sh\`)" "${tool_rss:-?} MiB" "—" "—" "< 80 MiB" "$(check "$tool_rss" '<' 80)"
row "peak RSS, loop benchmark process (\`acquisition_loop\`)" "${loop_rss:-?} MiB" "—" "—" "< 80 MiB" "$(check "$loop_rss" '<' 80)"
row "peak RSS, \`orloctl\` against a flooding peer (receive store limit 256 MiB; \`flood_memory\`)" "${flood_rss:-?} MiB" "—" "—" "< 272 MiB" "$(check "$flood_rss" '<' 272)"
row "peak RSS, \`orloctl detect --log\`, 6,000 pictures (command log queue limit 4 MiB; \`command_log_memory\`)" "${log_rss:-?} MiB" "—" "—" "< 64 MiB" "$(check "$log_rss" '<' 64)"
row "longest event-loop stall of all scenarios (\`responsiveness\`, Xvfb; ${stall_where:-?})" "${stall:-?} ms" "—" "—" "<= 200 ms" "$(check "$stall" '<=' 200)"
row "IP search of 127.0.0.1-255 (all answer; original: 16 threads, 100 ms per address)" "${scan_lo:-?} s" "${scan_lo_orig:-?} s" "$(ratio "$scan_lo" "$scan_lo_orig")" "< 0.5 s" "$(check "$scan_lo" '<' 0.5)"
row "IP search of 192.0.2.1-255, silent, in a network namespace (\`icmp_scan\`)" "${scan_silent:-?} s" "${scan_silent_orig:-?} s" "$(ratio "$scan_silent" "$scan_silent_orig")" "< 0.5 s" "$(check "$scan_silent" '<' 0.5)"
row "an abort ends what the session waits for: a frozen sensor's detection (TCP; pty 460800), a LAN connect nobody answers, the wait for a restarted sensor; worst of 20 each (\`session_abort\`; original: the detection's time-out, TCP; pty ${abort_pty_wait:-?} ms)" "${abort_max:-?} ms" "${abort_tcp_wait:-?} ms" "$(ratio "$abort_max" "$abort_tcp_wait")" "< 1000 ms (aim 200 ms)" "$(check "$abort_max" '<' 1000)"
row "中止 on the wait dialog, worst click to end of every operation that offers it: the stop of a frozen loop, page and editor loads, the report's reading, the wait for a restarted sensor, a connect nobody answers; TCP and pty 460800 (\`responsiveness\`, Xvfb; ${cancel_where:-?}; original: no way out but the whole wait, up to 150 s)" "${cancel_max:-?} ms" "—" "—" "<= 200 ms (limit 1000 ms)" "$(check "$cancel_max" '<=' 200)"
row "中止 during the detection page's apply: the write on the wire finishes, none follows (\`responsiveness\`, a 600 ms write, pressed 200 ms into it)" "${cancel_apply:-?} ms" "—" "—" "< 1000 ms" "$(check "$cancel_apply" '<' 1000)"
row "closing the window with a frozen sensor, request to window gone, TCP; pty 460800 (\`responsiveness\`; original: the detection's time-out)" "${close_tcp:-?} ms; ${close_pty:-?} ms" "${close_tcp_wait:-?} ms; ${close_pty_wait:-?} ms" "$(ratio "$close_tcp" "$close_tcp_wait"); $(ratio "$close_pty" "$close_pty_wait")" "<= 200 ms (limit 1000 ms)" "$(check "$(printf '%s\n%s\n' "$close_tcp" "$close_pty" | sort -n | tail -n1)" '<=' 200)"
row "\`scan A.B.C.1-255 --identify\`: 5 simulated sensors, 250 silent addresses, in a network namespace (\`fleet_identify\`; for information: all 255 identified without the ping sweep, 32 at a time, ${identify_all:-?} s)" "${identify_scan:-?} s" "—" "—" "< 1.5 s" "$(check "$identify_scan" '<' 1.5)"
row "\`orloctl --hosts --jobs 8 export\` of 40 simulated sensors, each answer delayed 5 ms as on a LAN (\`fleet_export\`; compared: 40 / 8 single exports one after another)" "${fleet_time:-?} s" "${fleet_singles:-?} s" "$(ratio "$fleet_time" "$fleet_singles")" "<= 1.3 x" "$(check "$(ratio "$fleet_time" "$fleet_singles")" '<=' 1.3)"
row "the same without the delay: processor time only, shared by $(nproc) cores (\`fleet_export 0\`)" "${fleet0_time:-?} s" "${fleet0_singles:-?} s" "$(ratio "$fleet0_time" "$fleet0_singles")" "for information" "—"
row "peak RSS, \`orloctl --hosts --jobs 8 export\` of 40 sensors (\`fleet_export\`)" "${fleet_rss:-?} MiB" "—" "—" "for information" "—"
row "simulator, full responses over TCP loopback (\`sim_throughput\`)" "${sim_rate:-?} /s" "—" "—" "—" "—"
row "area-mask and detection area editors, one move + repaint, worst p99 (\`editor_repaint\`)" "${editor_p99:-?} ms" "—" "—" "< 16 ms" "$(check "$editor_p99" '<' 16)"
row "detection page, four previews composed and painted, p99 (\`detection_previews\`)" "${previews_p99:-?} ms" "—" "—" "< 16 ms" "$(check "$previews_p99" '<' 16)"
if [ -n "$wine_shown" ]; then
    row "Windows build under Wine + Xvfb: \`orlo-setup.exe --demo\` to its window shown, median of 3 (\`windows_startup.sh\`; Wine is not Windows)" "$wine_shown ms" "—" "—" "for information" "—"
    row "Windows build under Wine: peak RSS after 15 s of monitoring (\`windows_startup.sh\`)" "${wine_rss:-?} MiB" "—" "—" "for information" "—"
fi
row "soak, ${soak_cycles} cycles per link with 10 fault spells (\`soak --cycles ${soak_cycles}\`; default 10,000)" "${soak_summary:-?}" "—" "—" "state kept, RSS growth < 2 MiB, no fd or thread left" "$(failed soak && echo no || echo yes)"
echo
for name in "$logs"/*.status; do
    [ "$(cat "$name")" = 0 ] || echo "- $(basename "$name" .status) ended with status $(cat "$name"): see $logs/$(basename "$name" .status).log"
done
echo "Ratio: ours ÷ original; below 1 is less time or CPU, above 1 more frames. Whole outputs: $logs/."
