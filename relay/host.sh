#!/usr/bin/env bash
# The page and the relay served from this machine over TLS, in the foreground until Ctrl+C
# (`make host`). caddy serves the page in PAGE over https as NAME and passes the page's MQTT
# over WebSocket (wss://NAME/mqtt) to the relay; the relay (relay/run.sh) takes desktop games
# over mqtts://NAME on the same certificate, copied from caddy's and reloaded each time caddy
# renews it, and over plain mqtt:// as `make relay` does.
#
# NAME is KB_SITE, localhost unless said: caddy's own authority signs for it, which browsers
# and games trust once told to (the start says how). A public name whose address is this
# machine's gets its certificate from Let's Encrypt, which reaches caddy on ports 80 and 443:
# KB_HTTP_PORT=80 KB_HTTPS_PORT=443 (8080 and 8443 unless said), as root.
#
#   relay/host.sh OUT PAGE
# Also read: KB_RELAY_PORT, KB_RELAY_WS_PORT, KB_RELAY_TLS_PORT (1883, 9001, 8883),
# KB_RELAY_PLUGIN (as relay/run.sh), KB_CERT_CHECK_SECONDS (how often caddy's certificate is
# compared with the relay's: 60).
set -euo pipefail
relay=$(cd "$(dirname "$0")" && pwd)
out=${1:?usage: relay/host.sh OUT PAGE}
page=${2:?usage: relay/host.sh OUT PAGE}
site=${KB_SITE:-localhost}
http_port=${KB_HTTP_PORT:-8080}
https_port=${KB_HTTPS_PORT:-8443}
port=${KB_RELAY_PORT:-1883}
ws_port=${KB_RELAY_WS_PORT:-9001}
tls_port=${KB_RELAY_TLS_PORT:-8883}
check=${KB_CERT_CHECK_SECONDS:-60}
fail() { echo "host: $*" >&2; exit 1; }

command -v caddy >/dev/null || fail "caddy is missing: sudo apt-get install caddy"
[ -f "$page/index.html" ] || fail "no page in $page (make web builds it)"
[[ $check =~ ^[0-9]+$ ]] && ((check > 0)) || fail "not a number of seconds: '$check'"
mkdir -p "$out"
out=$(cd "$out" && pwd)
page=$(cd "$page" && pwd)
data=$out/caddy/data
tls=$out/tls
owner=
# Started as root, mosquitto reads the certificate as the user mosquitto: it gets a folder of
# its own, which it can reach wherever this tree is.
if [ "$(id -u)" = 0 ]; then
    tls=$(mktemp -d /tmp/kanaburst-host.XXXXXX)
    chmod 755 "$tls"
    owner=mosquitto
fi
mkdir -p "$tls"

caddy_pid=
relay_pid=
stop() {
    trap - EXIT INT TERM
    [ -z "$relay_pid" ] || kill "$relay_pid" 2>/dev/null || true
    [ -z "$caddy_pid" ] || kill "$caddy_pid" 2>/dev/null || true
    wait
    [ -z "$owner" ] || rm -rf "$tls"
}
trap stop EXIT
trap 'exit 0' INT TERM

# caddy's own state (its authority, the certificates, their renewal) stays in OUT.
env KB_SITE="$site" KB_PAGE="$page" KB_HTTP_PORT="$http_port" KB_HTTPS_PORT="$https_port" \
    KB_RELAY_WS_PORT="$ws_port" KB_CADDY_ADMIN=off \
    XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$out/caddy/config" \
    caddy run --config "$relay/Caddyfile" --adapter caddyfile >"$out/caddy.log" 2>&1 &
caddy_pid=$!

# The relay starts once caddy has the certificate: mosquitto needs it to open its listener.
copy_certificate() { "$relay/sync-certs.sh" "$data" "$site" "$tls" $owner; }
status=2
for _ in $(seq $((120 * 10))); do
    kill -0 "$caddy_pid" 2>/dev/null || fail "caddy ended: $(tail -n 5 "$out/caddy.log")"
    status=0
    copy_certificate || status=$?
    [ "$status" = 2 ] || break
    sleep 0.1
done
[ "$status" != 2 ] || fail "caddy has no certificate for $site after two minutes: $out/caddy.log"
((status <= 1)) || fail "could not copy the certificate to $tls"

KB_RELAY_TLS_PORT=$tls_port KB_RELAY_TLS_DIR=$tls "$relay/run.sh" "$out/relay" "$port" "$ws_port" &
relay_pid=$!

where=$site
[ "$https_port" = 443 ] || where=$site:$https_port
echo "Kanaburst over TLS on this machine, until Ctrl+C:"
echo "  the page       https://$where/ (its relay: wss://$where/mqtt)"
echo "  desktop games  kanaburst --relay mqtts://$site:$tls_port"
authority=$data/caddy/pki/authorities/local/root.crt
if grep -q '/certificates/local/' <<<"$(ls "$data"/caddy/certificates/*/"$site/$site.crt")"; then
    echo "caddy's own authority signed the certificate; trust it where you play:"
    echo "  desktop games  SSL_CERT_FILE=$authority kanaburst --relay mqtts://$site:$tls_port"
    echo "  a browser      import $authority as an authority (Chromium: Settings, Privacy"
    echo "                 and security, Security, Manage certificates)"
fi
echo "caddy's log: $out/caddy.log"

# caddy renews on its own schedule; the relay takes each new certificate within a check.
while kill -0 "$caddy_pid" 2>/dev/null && kill -0 "$relay_pid" 2>/dev/null; do
    sleep "$check" &
    wait $! || true
    status=0
    copy_certificate || status=$?
    if [ "$status" = 0 ]; then
        kill -HUP "$relay_pid"
        echo "host: caddy renewed the certificate; the relay has reloaded it"
    fi
done
kill -0 "$caddy_pid" 2>/dev/null || fail "caddy ended: $(tail -n 5 "$out/caddy.log")"
fail "the relay ended"
