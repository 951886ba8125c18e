#!/usr/bin/env bash
# The package as a user meets it, as root: lintian (source and binary package) and the store and
# menu validators accept it, apt-get installs it, /usr/games/kanaburst reaches the title headless
# and ends with status 0 on SIGTERM; then a normal user, made for the test, starts it with a word
# list of their own and hosts a match on port 1001; a purge leaves nothing of it on disk,
# capabilities included, and the user goes again.   round_trip.sh build-deb/kanaburst_*.deb
set -euo pipefail
deb=$(realpath "$1")
changes=${deb%.deb}.changes
[ -f "$changes" ] || changes=$deb
program=/usr/lib/games/kanaburst/kanaburst
work=$(mktemp -d)
user=kb-round-trip
trap 'userdel -r -f "$user" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "package round trip: $*" >&2; exit 1; }

lintian --fail-on error --display-info "$changes"
(cd "$(dirname "$deb")" && DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y "./$(basename "$deb")")
dpkg -L kanaburst | grep -vxF /. >"$work/files"
appstreamcli validate --no-net $(grep '^/usr/share/metainfo/.*\.xml$' "$work/files")
desktop-file-validate /usr/share/applications/kanaburst.desktop
grep -qx Exec=/usr/games/kanaburst /usr/share/applications/kanaburst.desktop || fail "menu entry Exec"
getcap "$program" | grep -q 'cap_net_bind_service=ep' || fail "no capability: $(getcap "$program")"

# Three seconds from another directory: frames start only once start-up has reached the title.
(cd "$work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KB_FRAME_LOG="$work/frames" \
    timeout --preserve-status -s TERM -k 5 3 /usr/games/kanaburst 2>"$work/err") ||
    fail "ended with status $? on SIGTERM: $(cat "$work/err")"
[ "$(wc -l <"$work/frames")" -ge 20 ] || fail "only $(wc -l <"$work/frames") frames: $(cat "$work/err")"
! grep -E '^(Kanaburst|VbDSnd.Dll): ' "$work/err" || fail "a message box came up"

# A normal user with three words of their own, in a virtual display: the game's effect lines
# (KB_TRACE) must name their list, and choosing the server item (Up twice from the first item,
# then Enter) must make the game listen on port 1001: a socket of the user's while it runs,
# free again once it has ended.
[ -z "$(ss -ltnH 'sport = :1001')" ] || fail "port 1001 is taken before the test"
useradd --create-home --shell /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
own=$home/.local/share/kanaburst
runuser -u "$user" -- mkdir -p "$own"
printf 'kaki,\x82\xa9\x82\xab\r\ninu,\x82\xa2\x82\xca\r\nneko,\x82\xcb\x82\xb1\r\n' >"$own/str.dat"
chown "$user:" "$own/str.dat"
timeout 60 runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin xvfb-run -a sh -c '
    SDL_AUDIODRIVER=dummy KB_TRACE="$HOME/trace" /usr/games/kanaburst 2>"$HOME/err" &
    game=$!
    window=$(xdotool search --sync --name "Kanaburst Ver1.1" | head -n 1)
    xdotool windowfocus --sync "$window" key --window "$window" --delay 200 Up Up Return
    sleep 2
    ss -ltneH "sport = :1001" >"$HOME/listening"
    kill -TERM "$game"
    wait "$game"' || fail "the game as $user ended with status $?: $(cat "$home/err")"
grep -qxF "words 3 $own/str.dat" "$home/trace" ||
    fail "the player's word list was not read: $(grep '^words' "$home/trace")"
grep -q " uid:$(id -u "$user") " "$home/listening" ||
    fail "not listening on port 1001 as $user: $(cat "$home/listening")"
[ -z "$(ss -ltnH 'sport = :1001')" ] || fail "port 1001 still taken after the game ended"
! grep -E '^(Kanaburst|VbDSnd.Dll): ' "$home/err" || fail "a message box came up as $user"

# Left after the purge may only be a folder that another package owns too (/usr/games ...).
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 purge -y kanaburst
while read -r path; do
    [ ! -e "$path" ] && [ ! -L "$path" ] && continue
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 || fail "left: $path"
done <"$work/files"
! getcap -r /usr/lib/games /usr/games 2>/dev/null | grep kanaburst || fail "a capability is left"
echo "package round trip: passed"
