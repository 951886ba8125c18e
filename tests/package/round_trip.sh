#!/usr/bin/env bash
# The packages as users meet them, as root: lintian (source and binary packages) and the store
# and menu validators accept them, apt-get installs the game and the relay, /usr/games/kanaburst
# reaches the title headless and ends with status 0 on SIGTERM; the system's mosquitto starts
# with the system's configuration, the relay's among it; then a normal user, made for the test,
# starts the game with a word list of their own and the relay set, and hosts: it listens on port
# 1001 and opens a room, which the build tree's driver joins by its code, and both start the
# match; kanaburst-relay-host hosts a page and the relay over TLS as localhost with caddy; a
# purge leaves nothing of either package on disk, capabilities, the broker's configuration and
# what the hosting made included, and the user, the broker and caddy go again.
#   round_trip.sh build-deb/kanaburst_*.deb build-deb/kanaburst-relay_*.deb build/kanaburst-sim
set -euo pipefail
deb=$(realpath "$1")
relay_deb=$(realpath "$2")
sim=$(realpath "$3")
changes=${deb%.deb}.changes
[ -f "$changes" ] || changes=$deb
program=/usr/lib/games/kanaburst/kanaburst
relay=mqtt://127.0.0.1:1883
work=$(mktemp -d)
user=kb-round-trip
home=
broker=
made_run=
# The broker this test started (none where a service manager runs it), gone once 1883 is free,
# and the folder for its process id if the test made it.
stop_broker() {
    [ -n "$broker" ] || return 0
    kill "$broker" 2>/dev/null || true
    for _ in $(seq 100); do [ -z "$(ss -ltnH 'sport = :1883')" ] && break; sleep 0.1; done
    broker=
    [ -z "$made_run" ] || rm -rf /run/mosquitto
}
hosted=
installed=
cleanup() {
    [ -z "$home" ] || touch "$home/guest-done"  # a host still waiting ends
    wait
    if [ -n "$hosted" ] && [ ! -d /run/systemd/system ]; then
        caddy stop >/dev/null 2>&1 || true
        rm -rf /var/lib/caddy/.local /var/lib/caddy/.config/caddy /var/lib/caddy/.step \
            /var/www/kanaburst
        rmdir /var/lib/caddy/.config 2>/dev/null || true
    fi
    stop_broker
    # A run that failed midway takes its packages and what they made away again, so that the
    # next run starts from the same machine.
    [ -z "$installed" ] || dpkg --purge kanaburst kanaburst-relay >/dev/null 2>&1 || true
    userdel -r -f "$user" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package round trip: $*" >&2; exit 1; }

lintian --fail-on error --display-info "$changes"
# An earlier run that was killed may have left the packages in; the test starts without them.
dpkg --purge kanaburst kanaburst-relay 2>/dev/null
installed=yes
(cd "$(dirname "$deb")" && DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 \
    install -y "./$(basename "$deb")" "./$(basename "$relay_deb")")
dpkg -L kanaburst kanaburst-relay | grep -vxF -e /. -e '' >"$work/files"
appstreamcli validate --no-net $(grep '^/usr/share/metainfo/.*\.xml$' "$work/files")
desktop-file-validate /usr/share/applications/kanaburst.desktop
grep -qx "Exec=/usr/games/kanaburst %f" /usr/share/applications/kanaburst.desktop || fail "menu entry Exec"
getcap "$program" | grep -q 'cap_net_bind_service=ep' || fail "no capability: $(getcap "$program")"

# Three seconds from another directory: frames start only once start-up has reached the title.
(cd "$work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KB_FRAME_LOG="$work/frames" \
    timeout --preserve-status -s TERM -k 5 3 /usr/games/kanaburst 2>"$work/err") ||
    fail "ended with status $? on SIGTERM: $(cat "$work/err")"
[ "$(wc -l <"$work/frames")" -ge 20 ] || fail "only $(wc -l <"$work/frames") frames: $(cat "$work/err")"
! grep -E '^(Kanaburst|VbDSnd.Dll): ' "$work/err" || fail "a message box came up"

# The relay: the system's mosquitto with the system's configuration, which takes in the
# package's drop-in. Where a service manager runs it, the package's postinst has restarted it;
# in a container none does, and the test starts it as its service would and stops it at the end.
# Its WebSocket listener on 9001 comes only from the drop-in: Debian's own configuration alone
# listens on 1883 of this machine and nowhere else.
if [ -d /run/systemd/system ]; then
    systemctl is-active --quiet mosquitto || fail "mosquitto is not running: $(systemctl status mosquitto)"
else
    for port in 1883 9001; do
        [ -z "$(ss -ltnH "sport = :$port")" ] || fail "port $port is taken before the broker starts"
    done
    [ -d /run/mosquitto ] || made_run=yes
    mkdir -p -m 740 /run/mosquitto
    chown mosquitto /run/mosquitto
    mosquitto -c /etc/mosquitto/mosquitto.conf -d || fail "mosquitto did not start (status $?)"
    for _ in $(seq 100); do [ -s /run/mosquitto/mosquitto.pid ] && break; sleep 0.1; done
    broker=$(cat /run/mosquitto/mosquitto.pid)
fi
for _ in $(seq 100); do [ -n "$(ss -ltnH 'sport = :9001')" ] && break; sleep 0.1; done
[ -n "$(ss -ltnH 'sport = :9001')" ] ||
    fail "the broker has no WebSocket listener: $(tail -n 5 /var/log/mosquitto/mosquitto.log)"

# A normal user with three words of their own, in a virtual display, with the relay set: the
# game's effect lines (KB_TRACE) must name their list, and choosing the server item (Up twice
# from the first item, then Enter) must make the game listen on port 1001 (a socket of the
# user's while it runs, free again once it has ended) and open a room on the relay. The build
# tree's driver joins that room by its code as the client (Up from the first item, Enter, the
# code in the address box), and both must start the match.
[ -z "$(ss -ltnH 'sport = :1001')" ] || fail "port 1001 is taken before the test"
useradd --create-home --shell /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
own=$home/.local/share/kanaburst
runuser -u "$user" -- mkdir -p "$own"
printf 'kaki,\x82\xa9\x82\xab\r\ninu,\x82\xa2\x82\xca\r\nneko,\x82\xcb\x82\xb1\r\n' >"$own/str.dat"
chown "$user:" "$own/str.dat"
timeout 90 runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin KB_RELAY="$relay" \
    xvfb-run -a sh -c '
    SDL_AUDIODRIVER=dummy KB_TRACE="$HOME/trace" /usr/games/kanaburst 2>"$HOME/err" &
    game=$!
    window=$(xdotool search --sync --name "Kanaburst Ver1.1" | head -n 1)
    xdotool windowfocus --sync "$window" key --window "$window" --delay 200 Up Up Return
    sleep 2
    ss -ltneH "sport = :1001" >"$HOME/listening"
    # The guest comes from outside and says when it is done.
    i=0
    while [ ! -e "$HOME/guest-done" ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
    kill -TERM "$game"
    wait "$game"' &
host=$!
code=
for _ in $(seq 300); do
    [ -f "$home/trace" ] &&
        code=$(sed -n 's/^log 2 Relay: room \([0-9]\{4\} [0-9]\{4\} [0-9]\{4\}\) open$/\1/p' \
            "$home/trace" | head -n 1)
    [ -n "$code" ] && [ -e "$home/listening" ] && break
    sleep 0.1
done
[ -n "$code" ] || fail "no room opened: $(grep -s '^log' "$home/trace"; cat "$home/err")"
{
    printf 'frames 15\nkey 38\nframes 1\nkey 13\nframes 2\naddress %s\n' "$code"
    for _ in $(seq 150); do
        printf 'frames 3\nstate\n'
        sleep 0.2
        grep -q '"SceneNo":1,' "$work/guest" && grep -qx 'log 2 GAME START' "$home/trace" && break
    done
    # A match that never starts is told by the checks below, with both sides' logs.
    true
} | SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 60 "$sim" --realtime --relay "$relay" \
    >"$work/guest" 2>"$work/guest-err" || fail "the driver ended with status $?: $(cat "$work/guest-err")"
touch "$home/guest-done"
status=0
wait "$host" || status=$?
[ "$status" = 0 ] || fail "the game as $user ended with status $status: $(cat "$home/err")"
grep -qxF "words 3 $own/str.dat" "$home/trace" ||
    fail "the player's word list was not read: $(grep '^words' "$home/trace")"
grep -q " uid:$(id -u "$user") " "$home/listening" ||
    fail "not listening on port 1001 as $user: $(cat "$home/listening")"
[ -z "$(ss -ltnH 'sport = :1001')" ] || fail "port 1001 still taken after the game ended"
! grep -E '^(Kanaburst|VbDSnd.Dll): ' "$home/err" || fail "a message box came up as $user"
grep -qx 'log 2 GAME START' "$home/trace" ||
    fail "the host did not start the match in room $code: $(grep '^log' "$home/trace")"
grep -q '"SceneNo":1,' "$work/guest" && grep -qx 'log 2 GAME START' "$work/guest" ||
    fail "the driver did not join room $code: $(grep -v '^state' "$work/guest" | tail -n 20)"

# Hosting in one step: kanaburst-relay-host with a page of the test's own, as localhost (caddy's
# own authority). caddy serves the page over https with the copy a browser takes, passes
# /mqtt to the relay's WebSocket listener, and the broker (restarted with its TLS listener)
# presents caddy's certificate on 8883. Where no service manager runs, the script starts caddy
# and restarts the broker by hand; the test then stops what it started.
for port in 80 443 8883; do
    [ -z "$(ss -ltnH "sport = :$port")" ] || fail "port $port is taken before hosting"
done
mkdir -p "$work/page"
echo '<!doctype html><title>Kanaburst</title>' >"$work/page/index.html"
gzip -9 -n -k "$work/page/index.html"
kanaburst-relay-host localhost "$work/page" >"$work/hosted" 2>&1 ||
    fail "kanaburst-relay-host ended with status $?: $(cat "$work/hosted")"
hosted=yes
[ -z "$broker" ] || broker=$(cat /run/mosquitto/mosquitto.pid)
authority=/var/lib/caddy/.local/share/caddy/pki/authorities/local/root.crt
curl -sS --fail --cacert "$authority" -H 'Accept-Encoding: gzip' -D "$work/head" \
    -o "$work/got.gz" https://localhost/ || fail "no page at https://localhost/"
grep -qi '^content-encoding: gzip' "$work/head" || fail "not the gzip copy: $(cat "$work/head")"
cmp -s "$work/got.gz" "$work/page/index.html.gz" || fail "the page served is not the page given"
# The broker restarted with its TLS listener opens its listeners a moment after the script ends.
for _ in $(seq 100); do
    [ -n "$(ss -ltnH 'sport = :8883')" ] && [ -n "$(ss -ltnH 'sport = :9001')" ] && break
    sleep 0.1
done
for _ in $(seq 20); do
    curl -sS --cacert "$authority" -D "$work/upgrade" -o /dev/null --max-time 2 \
        -H 'Connection: Upgrade' -H 'Upgrade: websocket' -H 'Sec-WebSocket-Version: 13' \
        -H 'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==' -H 'Sec-WebSocket-Protocol: mqtt' \
        --http1.1 https://localhost/mqtt || true
    grep -q '^HTTP/1.1 101' "$work/upgrade" && break
    sleep 0.5
done
grep -q '^HTTP/1.1 101' "$work/upgrade" || fail "no WebSocket to the relay: $(cat "$work/upgrade")"
echo | openssl s_client -connect localhost:8883 -CAfile "$authority" -verify_hostname localhost \
    -verify_return_error >"$work/tls" 2>&1 || fail "the relay over TLS: $(tail -n 5 "$work/tls")"

# Left after the purge may only be a folder that another package owns too (/usr/games ...), or
# one of the system's own links at the top (/lib to usr/lib, where /usr is merged).
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 purge -y kanaburst kanaburst-relay
installed=
while read -r path; do
    [ ! -e "$path" ] && [ ! -L "$path" ] && continue
    [ -L "$path" ] && [ -d "$path" ] && [ "$(dirname "$path")" = / ] && continue
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 || fail "left: $path"
done <"$work/files"
! getcap -r /usr/lib/games /usr/games 2>/dev/null | grep kanaburst || fail "a capability is left"
for conf in /etc/mosquitto/conf.d/kanaburst.conf /etc/mosquitto/kanaburst.acl \
    /etc/mosquitto/conf.d/kanaburst-tls.conf /etc/mosquitto/certs/kanaburst-relay.key \
    /etc/kanaburst-relay /etc/caddy/Caddyfile.before-kanaburst; do
    [ ! -e "$conf" ] || fail "the broker's configuration is left: $conf"
done
! grep -q 'Kanaburst' /etc/caddy/Caddyfile || fail "caddy's own Caddyfile did not come back"
if [ -n "$broker" ]; then
    stop_broker
    [ -z "$(ss -ltnH 'sport = :1883')" ] || fail "port 1883 still taken after the broker stopped"
fi
echo "package round trip: passed"
