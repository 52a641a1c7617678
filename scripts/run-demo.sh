#!/usr/bin/env bash
# The demo of `make run`, all on loopback and without a sound card:
#   - a stand-in conference server;
#   - the gateway G0DEMO in room UK-1 (its window when there is a display,
#     else headless), which plays the room's audio
#     into a WAV file instead of a transmitter (its receiver hears silence);
#   - a remote station M0RMT that joins the room and talks one over, a
#     recording made here with espeak-ng.
# Each program's log lines are shown after its name. Once the gateway has
# released its transmitter after the over, the demo stops all three (the
# clients say Bye first) and prints where the played audio is; Ctrl-C stops
# them the same way at any time. The temporary folder stays: settings, logs,
# the recording and the played audio.
set -uo pipefail

build=${1:-build/release}
app=$build/app
port=${TAVRO_DEMO_PORT:-17024}
dir=$(mktemp -d /tmp/tavro-demo.XXXXXX)
played="$dir/transmitter.wav"

for call in G0DEMO M0RMT; do
    cat > "$dir/$call.INI" <<INI
[Tavro_CLIENT]
HOST=127.0.0.1
PORT=$port
CALL=$call
COMM=Demo station $call
ROOM=UK-1
INI
done

# The gateway's receiver: a WAV file of silence (a Morse "e" at volume 0);
# the device records silence after its end too.
"$app/tavro-tool" morse e "$dir/silent.wav" --volume 0 || exit 1
# The remote station's microphone. It joins about 5 s after it starts (the
# automatic join of its command line), so the over begins after 7 s of
# silence; espeak-ng drops a pause at the very start of a text, hence the
# silent syllable before it.
espeak-ng -m -w "$dir/speech.wav" \
    '<speak><prosody volume="silent">a</prosody><break time="7s"/>This is M0RMT testing the Tavro gateway. Over.</speak>' ||
    exit 1

labels=()
# Starts a program in its own session, so that Ctrl-C reaches only this
# script, which then stops the programs in order. Its output goes through a
# pipe to the terminal, each line after the name, and into NAME.log.
# $! is the program's process id afterwards.
start() { # NAME PROGRAM [ARGUMENTS...]
    local name=$1
    shift
    mkfifo "$dir/$name.pipe"
    sed -u "s/^/$(printf '%-6s' "$name") | /" < "$dir/$name.pipe" | tee "$dir/$name.log" &
    labels+=($!)
    setsid "$@" > "$dir/$name.pipe" 2>&1 &
}

server='' gateway='' remote='' stopped=''
stop() {
    [ -n "$stopped" ] && return
    stopped=1
    for pid in $remote $gateway $server; do
        kill -TERM "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    wait "${labels[@]}" 2>/dev/null
    rm -f "$dir"/*.pipe
    echo
    if [ -s "$played" ]; then
        echo "== The gateway's transmitter audio (8000 Hz mono) is $played"
        echo "== Listen to it with: aplay $played   (or any audio player)"
    else
        echo "== The gateway played nothing into $played"
    fi
    echo "== Settings, logs and the remote station's recording are in $dir"
}
trap 'stop; exit 130' INT TERM HUP

echo "== Stand-in server on 127.0.0.1:$port; the demo's files are in $dir"
echo "== The remote station M0RMT talks one over about 7 s after it starts;"
echo "== the demo ends once the gateway has released its transmitter. Ctrl-C stops it."
start server "$app/tavro-server" --listen "127.0.0.1:$port" \
    --welcome "Welcome to the Tavro stand-in server"
server=$!
until grep -q "listening on" "$dir/server.log" 2>/dev/null; do
    if ! kill -0 "$server" 2>/dev/null; then
        echo "== The server did not start; another port can be set with TAVRO_DEMO_PORT."
        stop
        exit 1
    fi
    sleep 0.1
done

# With a display the gateway shows its window; without one it runs headless.
mode=--headless
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    mode=''
    echo "== The gateway G0DEMO opens its window; watch the over arrive in it."
fi
start G0DEMO "$app/tavro-client" $mode --config "$dir/G0DEMO.INI" \
    --audio-in "$dir/silent.wav" --audio-out "$played" UK-1
gateway=$!
start M0RMT "$app/tavro-client" --headless --config "$dir/M0RMT.INI" \
    --audio-in "$dir/speech.wav" --audio-out "$dir/M0RMT-heard.wav" UK-1
remote=$!

# The over lasts about 4 s after 7 s of silence; allow a slow machine twice that.
result=0
deadline=$((SECONDS + 25))
until grep -q "Transmitter released" "$dir/G0DEMO.log" 2>/dev/null; do
    if [ "$SECONDS" -ge "$deadline" ]; then
        echo "== The gateway did not release its transmitter within 25 s; stopping."
        result=1
        break
    fi
    for pid in $server $gateway $remote; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "== A program ended early; stopping."
            result=1
            break 2
        fi
    done
    sleep 0.2
done
if [ "$result" = 0 ] && [ -z "$mode" ]; then
    echo "== The over has ended. Close the gateway's window (or press Ctrl-C) to end the demo."
    while kill -0 "$gateway" 2>/dev/null; do sleep 0.5; done
fi
stop
exit $result
