#!/usr/bin/env bash
# The package as a user meets it, as root: lintian (source and binary package) and the store and menu validators accept it,
# apt-get installs it, /usr/games/kanaburst reaches the title headless and ends with status 0
# on SIGTERM, and a purge leaves nothing of it on disk.   round_trip.sh build-deb/kanaburst_*.deb
set -euo pipefail
deb=$(realpath "$1")
changes=${deb%.deb}.changes
[ -f "$changes" ] || changes=$deb
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package round trip: $*" >&2; exit 1; }

lintian --fail-on error --display-info "$changes"
(cd "$(dirname "$deb")" && DEBIAN_FRONTEND=noninteractive apt-get install -y "./$(basename "$deb")")
dpkg -L kanaburst | grep -vxF /. >"$work/files"
appstreamcli validate --no-net $(grep '^/usr/share/metainfo/.*\.xml$' "$work/files")
desktop-file-validate /usr/share/applications/kanaburst.desktop
grep -qx Exec=/usr/games/kanaburst /usr/share/applications/kanaburst.desktop || fail "menu entry Exec"

# Three seconds from another directory: frames start only once start-up has reached the title.
(cd "$work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KB_FRAME_LOG="$work/frames" \
    timeout --preserve-status -s TERM -k 5 3 /usr/games/kanaburst 2>"$work/err") ||
    fail "ended with status $? on SIGTERM: $(cat "$work/err")"
[ "$(wc -l <"$work/frames")" -ge 20 ] || fail "only $(wc -l <"$work/frames") frames: $(cat "$work/err")"
! grep -E '^(Kanaburst|VbDSnd.Dll): ' "$work/err" || fail "a message box came up"

# Left after the purge may only be a folder that another package owns too (/usr/games ...).
DEBIAN_FRONTEND=noninteractive apt-get purge -y kanaburst
while read -r path; do
    [ ! -e "$path" ] && [ ! -L "$path" ] && continue
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 || fail "left: $path"
done <"$work/files"
echo "package round trip: passed"
