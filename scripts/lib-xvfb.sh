# Sourced by the walkthrough scripts: a virtual X server, the simulator on the loopback and mouse
# helpers (xdotool). Coordinates given to click and drag are relative to the origin (ox, oy).

# Runs the calling script again inside xvfb-run unless it already runs there.
xvfb_reexec() { # "$0" "$@"
    if [ -z "${WALKTHROUGH_INSIDE:-}" ]; then
        for tool in xvfb-run xdotool import; do
            command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool imagemagick)" >&2; exit 1; }
        done
        WALKTHROUGH_INSIDE=1 exec xvfb-run --auto-servernum \
            --server-args="-screen 0 1280x1024x24 -dpi 96 -nolisten tcp" "$@"
    fi
    export QT_QPA_PLATFORM=xcb
}

# A work folder (workdir) removed at exit, after the simulator and the tool (sim_pid, app_pid) are ended.
make_workdir() {
    workdir=$(mktemp -d)
    sim_pid= app_pid=
    trap end_walkthrough EXIT
}
end_walkthrough() {
    for pid in $app_pid $sim_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$workdir"
}

# Starts BUILD/sim/orlo-sim on a free loopback port with the extra options; sets sim_pid and port.
start_sim() { # BUILD LOG [OPTIONS...]
    local build=$1 log=$2
    shift 2
    "$build/sim/orlo-sim" --tcp 127.0.0.1:0 "$@" >"$log" 2>&1 &
    sim_pid=$!
    port=
    for _ in $(seq 50); do
        port=$(grep -o '127.0.0.1:[0-9]*' "$log" | head -n1 | cut -d: -f2 || true)
        [ -n "$port" ] && break
        sleep 0.1
    done
    [ -n "$port" ] || { echo "simulator did not start" >&2; exit 1; }
}

# The first visible window matching the xdotool search options: sets window, ox and oy.
origin_of() {
    window=$(xdotool search --sync --onlyvisible "$@" | head -n1 || true)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    ox=$X oy=$Y
}
click() { xdotool mousemove $((ox + $1)) $((oy + $2)) click 1; sleep 0.3; }
drag() { # X1 Y1 X2 Y2
    xdotool mousemove $((ox + $1)) $((oy + $2)) mousedown 1
    for i in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((ox + $1 + ($3 - $1) * i / 8)) $((oy + $2 + ($4 - $2) * i / 8))
        sleep 0.02
    done
    xdotool mouseup 1
    sleep 0.15
}
