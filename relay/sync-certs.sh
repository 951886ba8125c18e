#!/bin/sh
# Copies the certificate that caddy keeps for SITE (under its data folder, whichever authority
# issued it: Let's Encrypt, ZeroSSL or its own) to DEST as kanaburst-relay.crt and .key, where
# mosquitto's TLS listener reads them; the key readable by OWNER alone when one is given.
# Exits 0 when it copied a new certificate (mosquitto is then to reload it), 1 when DEST holds
# this one already, 2 when caddy has none for SITE yet.
#   sync-certs.sh CADDY_DATA SITE DEST [OWNER]
set -eu
data=$1
site=$2
dest=$3
owner=${4:-}

# The one caddy obtained last.
crt=$(ls -t "$data"/caddy/certificates/*/"$site/$site.crt" 2>/dev/null | head -n 1) || true
[ -n "$crt" ] || exit 2
key=${crt%.crt}.key
if cmp -s "$crt" "$dest/kanaburst-relay.crt" && cmp -s "$key" "$dest/kanaburst-relay.key"; then
    exit 1
fi
# Each file is written beside its place and moved in whole, the key first: mosquitto reads
# them only when told to reload, after both.
install -m 600 ${owner:+-o "$owner"} "$key" "$dest/.kanaburst-relay.key.new"
install -m 644 "$crt" "$dest/.kanaburst-relay.crt.new"
mv -f "$dest/.kanaburst-relay.key.new" "$dest/kanaburst-relay.key"
mv -f "$dest/.kanaburst-relay.crt.new" "$dest/kanaburst-relay.crt"
exit 0
