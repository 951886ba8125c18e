#!/usr/bin/env bash
# A relay on this machine, in the foreground until Ctrl+C (`make relay`): Debian's mosquitto with
# relay/kanaburst.conf as it stands, on PORT for desktop games and WS_PORT (WebSocket) for pages
# instead of 1883 and 9001, with the access rules read from relay/kanaburst.acl instead of
# /etc/mosquitto/ and the relay's plugin from the build (KB_RELAY_PLUGIN, build/ by default).
# With KB_RELAY_TLS_PORT and KB_RELAY_TLS_DIR (holding kanaburst-relay.crt and .key) it also
# listens for desktop games over TLS, as relay/kanaburst-tls.conf says. The configuration it runs
# is written to OUT/kanaburst.conf; a SIGHUP to this script reloads the broker's configuration
# and certificate.
#
#   relay/run.sh OUT [PORT [WS_PORT]]
set -euo pipefail
relay=$(cd "$(dirname "$0")" && pwd)
out=${1:?usage: relay/run.sh OUT [PORT [WS_PORT]]}
port=${2:-1883}
ws_port=${3:-9001}
tls_port=${KB_RELAY_TLS_PORT:-}
tls_dir=${KB_RELAY_TLS_DIR:-}
plugin=${KB_RELAY_PLUGIN:-$relay/../build/kanaburst-limits.so}
fail() { echo "relay: $*" >&2; exit 1; }

ports=("$port" "$ws_port" ${tls_port:+"$tls_port"})
for p in "${ports[@]}"; do
    [[ $p =~ ^[0-9]+$ ]] && ((10#$p >= 1 && 10#$p <= 65535)) || fail "not a port: '$p'"
done
[ "$(printf '%s\n' "${ports[@]}" | sort -u | wc -l)" = "${#ports[@]}" ] ||
    fail "each listener needs a port of its own, not ${ports[*]}"
[ -z "$tls_port" ] || [ -r "$tls_dir/kanaburst-relay.crt" ] ||
    fail "no certificate for the TLS listener: $tls_dir/kanaburst-relay.crt"
[ -r "$plugin" ] || fail "the relay's plugin is not built: $plugin (make build)"
# Debian puts the broker in /usr/sbin, which a normal user's PATH may lack.
PATH=$PATH:/usr/sbin
command -v mosquitto >/dev/null || fail "mosquitto is missing: sudo apt-get install mosquitto"

# Started as root, mosquitto becomes the user mosquitto before it reads the access rules (and
# reads them again on every SIGHUP), loads the plugin and the certificate. Where that user
# cannot read them in this tree (a tree under /root, say), it gets copies in a folder of its own
# for as long as the relay runs.
acl=$relay/kanaburst.acl
cert=$tls_dir/kanaburst-relay.crt
key=$tls_dir/kanaburst-relay.key
copy=
readable() {
    local var=$1 file=${!1}
    [ "$(id -u)" = 0 ] && ! runuser -u mosquitto -- test -r "$file" 2>/dev/null || return 0
    if [ -z "$copy" ]; then
        copy=$(mktemp -d /tmp/kanaburst-relay.XXXXXX)
        trap 'rm -rf "$copy"' EXIT
        chmod 755 "$copy"
    fi
    install -m 644 "$file" "$copy/$(basename "$file")"
    printf -v "$var" '%s' "$copy/$(basename "$file")"
}
readable acl
readable plugin
# The certificate is renewed while the relay runs: its folder must be one mosquitto reads.
[ -z "$tls_port" ] || [ "$(id -u)" != 0 ] || runuser -u mosquitto -- test -r "$key" ||
    fail "the user mosquitto cannot read $key"

# The lines this changes must stay as they are in relay/kanaburst.conf and kanaburst-tls.conf
# (the tests change them the same way); each change is checked, so that an edit there cannot
# pass unnoticed.
mkdir -p "$out"
conf=$out/kanaburst.conf
escape() { printf '%s' "$1" | sed 's/[&|\\]/\\&/g'; }
{
    cat "$relay/kanaburst.conf"
    [ -z "$tls_port" ] || cat "$relay/kanaburst-tls.conf"
} | sed -e "s|^listener 1883\$|listener $port|" -e "s|^listener 9001\$|listener $ws_port|" \
    -e "s|^listener 8883\$|listener $tls_port|" \
    -e "s|^acl_file /etc/mosquitto/kanaburst.acl\$|acl_file $(escape "$acl")|" \
    -e "s|^plugin /usr/lib/kanaburst-relay/kanaburst-limits.so\$|plugin $(escape "$plugin")|" \
    -e "s|^certfile /etc/mosquitto/certs/kanaburst-relay.crt\$|certfile $(escape "$cert")|" \
    -e "s|^keyfile /etc/mosquitto/certs/kanaburst-relay.key\$|keyfile $(escape "$key")|" >"$conf"
made=("listener $port" "listener $ws_port" "acl_file $acl" "plugin $plugin")
[ -z "$tls_port" ] || made+=("listener $tls_port" "certfile $cert" "keyfile $key")
for line in "${made[@]}"; do
    grep -qxF "$line" "$conf" || fail "relay/kanaburst.conf has changed: no '$line' made in $conf"
done

# A port already held (the system's own mosquitto service listens on 1883 once the package is
# installed on a machine with systemd) is named before mosquitto starts.
if command -v ss >/dev/null; then
    for p in "${ports[@]}"; do
        [ -z "$(ss -ltnH "sport = :$p")" ] ||
            fail "port $p is taken (by the system's mosquitto service? sudo systemctl stop" \
                "mosquitto); or choose others: make relay RELAY_PORT=1884 RELAY_WS_PORT=9002"
    done
fi

here=$(hostname -I 2>/dev/null | awk '{print $1}')
here=${here:-127.0.0.1}
echo "Kanaburst relay: desktop games use --relay mqtt://$here:$port (or KB_RELAY), pages"
echo "ws://$here:$ws_port; access rules from $acl. Ctrl+C stops it."
[ -z "$tls_port" ] || echo "Over TLS: --relay mqtts://NAME:$tls_port, NAME as the certificate says."
mosquitto -c "$conf" &
broker=$!
trap 'kill -HUP $broker' HUP
trap 'kill -TERM $broker 2>/dev/null' INT TERM
# A signal caught ends the wait, not the broker: wait again until it has ended.
status=0
while :; do
    wait "$broker" && status=0 || status=$?
    kill -0 "$broker" 2>/dev/null || break
done
[ "$status" = 0 ] || [ "$status" = 143 ] || fail "mosquitto ended with status $status (its messages are above)"
