#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks that the files land
# where the tavro-gateway unit, its sysusers.d file and the desktop entry name
# them. Then runs the installed gateway with the unit's own command line and
# the installed settings file (its server pointed at a stand-in server on
# loopback, sound from and to WAV files): it joins its room on its own, stops
# on SIGTERM with status 0 and writes nothing back, since the file already
# holds every key the program saves.
# Arguments: BUILD_DIR INSTALL_PREFIX CMAKE
set -euo pipefail

build=$1 prefix=$2 cmake=$3
work=$(mktemp -d /tmp/tavro-installed.XXXXXX)
root=$work/root
server='' gateway=''
cleanup() {
    for pid in $gateway $server; do
        kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -f "$log" ] && { echo "== $log" >&2; cat "$log" >&2; }
    done
    exit 1
}
key() { # FILE KEY: the value of KEY= in FILE
    sed -n "s/^$2=//p" "$1"
}

DESTDIR=$root "$cmake" --install "$build" >/dev/null

# The service unit and its user.
unit=$(find "$root" -name tavro-gateway.service -path '*/systemd/system/*')
[ -n "$unit" ] || fail "no tavro-gateway.service under a systemd/system folder"
read -r -a command <<< "$(key "$unit" ExecStart)"
[ -x "$root${command[0]}" ] || fail "ExecStart names ${command[0]}, which was not installed"
config=''
for ((i = 1; i < ${#command[@]}; i++)); do
    [ "${command[i]}" = --config ] && config=${command[i + 1]}
done
[ -f "$root$config" ] || fail "the unit's settings file $config was not installed"
[ "$(key "$unit" ReadWritePaths)" = "$(dirname "$config")" ] ||
    fail "the unit does not let the service write the folder of $config"
user=$(key "$unit" User)
sysusers=$(find "$root" -path '*/sysusers.d/tavro.conf')
grep -q "^u $user " "$sysusers" || fail "$sysusers does not create the unit's user $user"
cmp -s "$root$config" "$root$prefix/share/doc/tavro/examples/tavro-client.INI" ||
    fail "the service's settings differ from the installed example"

# The desktop entry, its program and its icon.
desktop=$root$prefix/share/applications/tavro-client.desktop
[ -f "$desktop" ] || fail "no desktop entry at $desktop"
exec_word=$(key "$desktop" Exec)
[ -x "$root$prefix/bin/${exec_word%% *}" ] || fail "the desktop entry runs ${exec_word%% *}, not installed"
icon=$(key "$desktop" Icon)
icons=$root$prefix/share/icons/hicolor
[ -f "$icons/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
for size in 48 256; do
    png=$icons/${size}x$size/apps/$icon.png
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r width height <<< "$(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')"
    [ "$width $height" = "$size $size" ] || fail "$png is ${width}x$height, not ${size}x$size"
done

# A manual page for every installed program.
for program in "$root$prefix"/bin/*; do
    page=$root$prefix/share/man/man1/$(basename "$program").1.gz
    gzip -t "$page" 2>/dev/null || fail "no manual page $page"
done

# The gateway as the service runs it.
bin=$root$prefix/bin
"$bin/tavro-server" --listen 127.0.0.1:0 2> "$work/server.log" &
server=$!
for ((i = 0; i < 100; i++)); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || fail "the stand-in server did not start"
settings=$work/tavro-client.INI
sed -e "s/^HOST=.*/HOST=127.0.0.1/" -e "s/^PORT=.*/PORT=$port/" -e "s/^CALL=.*/CALL=G0PKG/" \
    "$root$config" > "$settings"
cp "$settings" "$work/before.INI"
# The receiver hears 100 ms of silence (8000 Hz, 16-bit mono), then silence.
{
    printf 'RIFF\x64\x06\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0'
    printf 'data\x40\x06\0\0'
    head -c 1600 /dev/zero
} > "$work/silence.wav"
command[0]=$root${command[0]}
for ((i = 1; i < ${#command[@]}; i++)); do
    [ "${command[i - 1]}" = --config ] && command[i]=$settings
done
env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$work" \
    "${command[@]}" --audio-in "$work/silence.wav" --audio-out "$work/played.wav" \
    2> "$work/gateway.log" &
gateway=$!
room=$(key "$settings" ROOM)
for ((i = 0; i < 200; i++)); do
    grep -q "G0PKG.*$room" "$work/server.log" && break
    kill -0 "$gateway" 2>/dev/null || fail "the gateway ended early"
    sleep 0.1
done
grep -q "G0PKG.*$room" "$work/server.log" || fail "the gateway did not join room $room within 20 s"
kill -TERM "$gateway"
status=0
wait "$gateway" || status=$?
gateway=''
[ "$status" = 0 ] || fail "the gateway ended with status $status after SIGTERM"
cmp -s "$work/before.INI" "$settings" || fail "the gateway wrote to its settings: $(diff "$work/before.INI" "$settings")"
echo "installed files and the service's settings: OK"
