#!/usr/bin/env bash
# Starts a stand-in conference server on loopback and the headless gateway
# client connected to it, with a fresh settings file in a temporary folder.
# Ctrl-C stops both (the client says Bye and saves its settings first).
set -uo pipefail

build=${1:-build/release}
port=${TAVRO_DEMO_PORT:-17024}
dir=$(mktemp -d /tmp/tavro-demo.XXXXXX)
settings="$dir/tavro.INI"

cat > "$settings" <<INI
[Tavro_CLIENT]
HOST=127.0.0.1
PORT=$port
CALL=G0DEMO
COMM=Demo gateway
ROOM=UK-1
INI

echo "== Stand-in server on 127.0.0.1:$port; gateway settings in $settings"
echo "== Press Ctrl-C to stop both."
"$build/app/tavro-server" --listen "127.0.0.1:$port" \
    --welcome "Welcome to the Tavro stand-in server" &
server=$!
sleep 0.5
"$build/app/tavro-client" --headless --config "$settings" UK-1 &
client=$!

stop() {
    kill -TERM "$client" 2>/dev/null
    wait "$client" 2>/dev/null
    kill -TERM "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    echo "== Stopped. The gateway's settings file is $settings"
}
trap stop INT TERM
wait "$client"
stop
