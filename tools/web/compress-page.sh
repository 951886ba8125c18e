#!/bin/sh
# A brotli (FILE.br) and a gzip (FILE.gz) copy beside every file of DIR, for the server to send
# to a browser that takes one. A file's copies are made again only when the stamp kept for it in
# STAMPS no longer matches: the SHA-256 of the file and of both copies, written once both are in
# place. So nothing is compressed twice, a copy damaged since (left empty, cut short) is made
# again, and so is one whose file changed with its size and time. Each output is written beside
# its target and renamed into place: a server never sends half of one, and a build stopped
# half-way leaves only parts, which the next run removes.
#   tools/web/compress-page.sh DIR STAMPS
set -e
dir=$1
stamps=$2
[ -d "$dir" ] && [ -n "$stamps" ] || { echo "usage: compress-page.sh DIR STAMPS" >&2; exit 2; }
mkdir -p "$stamps"
find "$dir" -name '*.part' -type f -delete

# The file's and its copies' hashes, by their names within DIR.
hashes() {
    (cd "$dir" && sha256sum "$1" "$1.br" "$1.gz")
}

list=$(cd "$dir" && find . -type f ! -name '*.br' ! -name '*.gz' | sed 's|^\./||' | sort)
made=0
while IFS= read -r name; do
    [ -n "$name" ] || continue
    stamp=$stamps/$name.sha256
    if [ -f "$dir/$name.br" ] && [ -f "$dir/$name.gz" ] && [ -f "$stamp" ] &&
        hashes "$name" | cmp -s - "$stamp"; then
        continue
    fi
    file=$dir/$name
    brotli -f -q 11 -o "$file.br.part" "$file"
    mv -f "$file.br.part" "$file.br"
    gzip -9 -n -c "$file" > "$file.gz.part"
    mv -f "$file.gz.part" "$file.gz"
    mkdir -p "$(dirname "$stamp")"
    hashes "$name" > "$stamp.part"
    mv -f "$stamp.part" "$stamp"
    made=$((made + 1))
done <<LIST
$list
LIST
echo "compress-page: $made of $(printf '%s\n' "$list" | grep -c .) files compressed anew"
