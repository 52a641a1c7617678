#!/bin/sh
# Wake-ups per second and resident memory of an idle, connected headless client: starts the
# stand-in server (pinging every 10 s) and tavro-client --headless joined to a
# room, waits until the client has joined and settled, then counts the
# voluntary context switches of all the client's threads over SECONDS.
#
# Usage: bench/idle_wakeups.sh [BUILD_DIR] [SECONDS]
#   BUILD_DIR  a build directory holding app/tavro-server and app/tavro-client
#              (default build/release)
#   SECONDS    the measuring time (default 30)
set -eu

build=${1:-build/release}
seconds=${2:-30}
server_bin=$build/app/tavro-server
client_bin=$build/app/tavro-client
for program in "$server_bin" "$client_bin"; do
    [ -x "$program" ] || { echo "missing $program (build it first)" >&2; exit 1; }
done

work=$(mktemp -d)
server_pid=
client_pid=
cleanup() {
    [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null && wait "$client_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Waits up to 20 s for a line matching $2 in file $1.
wait_for() {
    i=0
    while ! grep -q "$2" "$1" 2>/dev/null; do
        i=$((i + 1))
        [ $i -le 200 ] || { echo "timed out waiting for '$2' in $1" >&2; cat "$1" >&2; exit 1; }
        sleep 0.1
    done
}

"$server_bin" --listen 127.0.0.1:0 --ping-interval 10 2>"$work/server.log" &
server_pid=$!
wait_for "$work/server.log" "listening on"
port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log" | head -n 1)

cat >"$work/client.ini" <<INI
[Tavro_CLIENT]
HOST=127.0.0.1
PORT=$port
CALL=G4IDL
ROOM=IDLE
INI

# A command-line room connects within one watchdog period (5 s).
"$client_bin" --headless --config "$work/client.ini" IDLE 2>"$work/client.log" &
client_pid=$!
wait_for "$work/client.log" "Joining room IDLE"
sleep 2

# Sum of voluntary context switches over the client's threads.
switches() {
    total=0
    for status in /proc/"$client_pid"/task/*/status; do
        n=$(sed -n 's/^voluntary_ctxt_switches:[[:space:]]*//p' "$status" 2>/dev/null || true)
        total=$((total + ${n:-0}))
    done
    echo "$total"
}

threads=$(ls /proc/"$client_pid"/task | wc -l)
before=$(switches)
sleep "$seconds"
after=$(switches)
kill -0 "$client_pid" 2>/dev/null || { echo "the client ended early" >&2; cat "$work/client.log" >&2; exit 1; }
grep -q "Connection lost" "$work/client.log" && { echo "the client lost its connection" >&2; exit 1; }

echo "client pid $client_pid, $threads threads, idle and connected for $seconds s"
echo "voluntary context switches: $before -> $after ($((after - before)) in $seconds s)"
echo "resident memory: $(sed -n 's/^VmRSS:[[:space:]]*//p' /proc/"$client_pid"/status)"
awk -v d=$((after - before)) -v s="$seconds" 'BEGIN { printf "wake-ups per second: %.2f\n", d / s }'
