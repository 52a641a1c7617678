#!/usr/bin/env bash
# The window's start-up time and its CPU use, on Qt's offscreen platform:
#   bench/window_figures.sh BUILD_DIR [SECONDS]
# Prints the time from starting tavro-client to its "Window shown" line (the
# median of 5 starts), then the CPU time the window uses over SECONDS
# (default 30) idle, and connected to a stand-in server with its eleven
# meters refreshing, as a share of one core.
set -euo pipefail
app=$1/app
seconds=${2:-30}
dir=$(mktemp -d /tmp/tavro-window-bench.XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen
port=17124
printf '[Tavro_CLIENT]\nHOST=127.0.0.1\nPORT=%s\nCALL=G0BNCH\nROOM=UK-1\n' $port > "$dir/client.INI"
"$app/tavro-tool" morse e "$dir/silent.wav" --volume 0 > /dev/null

# Starts the window with the given command line; sets $pid.
start_window() {
    rm -f "$dir/client.log" # so that a line of the last run is never taken for this one's
    "$app/tavro-client" --config "$dir/client.INI" --audio-in "$dir/silent.wav" \
        --audio-out "$dir/out.wav" "$@" 2> "$dir/client.log" &
    pid=$!
}
wait_for() { # PATTERN FILE
    until grep -q "$1" "$2" 2>/dev/null; do sleep 0.005; done
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
stop_window() { kill -TERM "$pid"; wait "$pid" || true; }

starts=()
for i in 1 2 3 4 5; do
    begin=$(date +%s%N)
    start_window
    wait_for "Window shown" "$dir/client.log"
    starts+=($(( ($(date +%s%N) - begin) / 1000000 )))
    stop_window
done
median=$(printf '%s\n' "${starts[@]}" | sort -n | sed -n 3p)
echo "start to window shown: median ${median} ms (runs: ${starts[*]})"

hz=$(getconf CLK_TCK)
measure() { # LABEL
    local before after
    before=$(cpu_ticks "$pid")
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" -v label="$1" \
        'BEGIN { printf "%s: %.2f%% of one core over %d s\n", label, 100 * t / hz / s, s }'
}

start_window
wait_for "Window shown" "$dir/client.log"
sleep 2
measure "window idle"
stop_window

"$app/tavro-server" --listen "127.0.0.1:$port" 2> "$dir/server.log" &
wait_for "listening on" "$dir/server.log"
start_window UK-1
wait_for "Members (" "$dir/client.log"
sleep 2
measure "window connected"
stop_window
