#!/usr/bin/env bash
# A relay on this machine, in the foreground until Ctrl+C (`make relay`): Debian's mosquitto with
# relay/kanaburst.conf as it stands, on PORT for desktop games and WS_PORT (WebSocket) for pages
# instead of 1883 and 9001, and with the access rules read from relay/kanaburst.acl instead of
# /etc/mosquitto/. The configuration it runs is written to OUT/kanaburst.conf.
#
#   relay/run.sh OUT [PORT [WS_PORT]]
set -euo pipefail
relay=$(cd "$(dirname "$0")" && pwd)
out=${1:?usage: relay/run.sh OUT [PORT [WS_PORT]]}
port=${2:-1883}
ws_port=${3:-9001}
fail() { echo "relay: $*" >&2; exit 1; }

for p in "$port" "$ws_port"; do
    [[ $p =~ ^[0-9]+$ ]] && ((10#$p >= 1 && 10#$p <= 65535)) || fail "not a port: '$p'"
done
[ "$port" != "$ws_port" ] || fail "the two listeners need two ports, not $port twice"
# Debian puts the broker in /usr/sbin, which a normal user's PATH may lack.
PATH=$PATH:/usr/sbin
command -v mosquitto >/dev/null || fail "mosquitto is missing: sudo apt-get install mosquitto"

acl=$relay/kanaburst.acl
# Started as root, mosquitto becomes the user mosquitto before it reads the access rules (and
# reads them again on every SIGHUP). Where that user cannot read them in this tree (a tree under
# /root, say), it gets a copy in a folder of its own for as long as the relay runs.
if [ "$(id -u)" = 0 ] && ! runuser -u mosquitto -- test -r "$acl" 2>/dev/null; then
    copy=$(mktemp -d /tmp/kanaburst-relay.XXXXXX)
    trap 'rm -rf "$copy"' EXIT
    install -m 644 "$acl" "$copy/kanaburst.acl"
    chmod 755 "$copy"
    acl=$copy/kanaburst.acl
fi

# The three lines this changes must stay as they are in relay/kanaburst.conf (the tests change
# them the same way); each change is checked, so that an edit there cannot pass unnoticed.
mkdir -p "$out"
conf=$out/kanaburst.conf
escaped=$(printf '%s' "$acl" | sed 's/[&|\\]/\\&/g')
sed -e "s|^listener 1883\$|listener $port|" -e "s|^listener 9001\$|listener $ws_port|" \
    -e "s|^acl_file /etc/mosquitto/kanaburst.acl\$|acl_file $escaped|" \
    "$relay/kanaburst.conf" >"$conf"
for line in "listener $port" "listener $ws_port" "acl_file $acl"; do
    grep -qxF "$line" "$conf" || fail "relay/kanaburst.conf has changed: no '$line' made in $conf"
done

# A port already held (the system's own mosquitto service listens on 1883 once the package is
# installed on a machine with systemd) is named before mosquitto starts.
if command -v ss >/dev/null; then
    for p in "$port" "$ws_port"; do
        [ -z "$(ss -ltnH "sport = :$p")" ] ||
            fail "port $p is taken (by the system's mosquitto service? sudo systemctl stop" \
                "mosquitto); or choose others: make relay RELAY_PORT=1884 RELAY_WS_PORT=9002"
    done
fi

here=$(hostname -I 2>/dev/null | awk '{print $1}')
here=${here:-127.0.0.1}
echo "Kanaburst relay: desktop games use --relay mqtt://$here:$port (or KB_RELAY), pages"
echo "ws://$here:$ws_port; access rules from $acl. Ctrl+C stops it."
status=0
mosquitto -c "$conf" || status=$?
[ "$status" = 0 ] || fail "mosquitto ended with status $status (its messages are above)"
