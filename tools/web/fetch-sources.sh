#!/bin/sh
# Unpacks the Debian source packages of the browser build's libraries under DIR/src, pinned to
# the upstream versions below. apt-get reads its deb-src entries from a private directory
# (DIR/apt), derived from this machine's own apt sources, so the system's configuration and
# package lists stay untouched and no mirror is named here.
# Usage: fetch-sources.sh DIR
set -eu
dir=$(mkdir -p "$1" && cd "$1" && pwd)
apt_dir=$dir/apt
src_dir=$dir/src

# source package, upstream version
PINS="zlib 1.2.13
libpng1.6 1.6.39
libjpeg-turbo 2.1.5
freetype 2.12.1
harfbuzz 6.0.0
libsdl2 2.26.5
libsdl2-ttf 2.20.1
libsdl2-image 2.6.3
libsdl2-mixer 2.6.2
libsodium 1.0.18"

mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" \
	"$src_dir"
: >"$apt_dir/sources.list"
# One-line sources: every "deb" line becomes a "deb-src" line with the same options and mirror.
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
	[ -f "$f" ] || continue
	sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt_dir/sources.list"
done
# deb822 sources: every stanza that offers "deb" is copied with "Types: deb-src".
rm -f "$apt_dir/sources.list.d/"*.sources
for f in /etc/apt/sources.list.d/*.sources; do
	[ -f "$f" ] || continue
	awk 'tolower($0) ~ /^[[:space:]]*types:/ {
			print ($0 ~ /[[:space:]]deb([[:space:]]|$)/) ? "Types: deb-src" : $0
			next
		}
		{ print }' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done

apt() {
	"$@" -o Dir::Etc::SourceList="$apt_dir/sources.list" \
		-o Dir::Etc::SourceParts="$apt_dir/sources.list.d" \
		-o Dir::State::Lists="$apt_dir/lists" \
		-o Dir::Cache="$apt_dir/cache" \
		-o APT::Sandbox::User="$(id -un)" \
		-o Debug::NoLocking=true
}

# Nothing to fetch when every source is unpacked already.
missing=$(echo "$PINS" | while read -r pkg upstream; do
	[ -f "$src_dir/$pkg-$upstream/.unpacked" ] || echo "$pkg"
done)
if [ -z "$missing" ]; then
	cat "$src_dir"/*/.unpacked >"$dir/versions.txt"
	exit 0
fi
# Only the Sources indexes are fetched; a run within a day of the last one reuses them.
if [ -z "$(find "$apt_dir/lists" -maxdepth 1 -name '*Sources*' -mtime -1 2>/dev/null)" ]; then
	apt apt-get -q update
fi

: >"$dir/versions.txt"
echo "$PINS" | while read -r pkg upstream; do
	unpacked=$src_dir/$pkg-$upstream
	if [ -f "$unpacked/.unpacked" ]; then
		cat "$unpacked/.unpacked" >>"$dir/versions.txt"
		continue
	fi
	# Debian revisions of the pinned upstream version, newest first (epoch, +dfsg and the Debian
	# revision are not part of the upstream version). A mirror may lack the newest one's files
	# (security updates), so older revisions are tried in turn.
	candidates=$(apt apt-cache showsrc --only-source "$pkg" 2>/dev/null |
		sed -n 's/^Version: //p' |
		while read -r v; do
			u=${v#*:}
			u=${u%-*}
			u=${u%[.+~]dfsg*}
			[ "$u" = "$upstream" ] && echo "$v"
		done | sort -rVu)
	got=
	for version in $candidates; do
		rm -rf "$src_dir/tmp"
		mkdir -p "$src_dir/tmp"
		if (cd "$src_dir/tmp" && apt apt-get -q source --only-source "$pkg=$version" \
			>download.log 2>&1); then
			got=$version
			break
		fi
		echo "fetch-sources: $pkg $version could not be fetched, trying an older revision" >&2
	done
	if [ -z "$got" ]; then
		echo "fetch-sources: no source of $pkg $upstream could be fetched from the machine's" \
			"apt sources" >&2
		exit 1
	fi
	# apt-get source names the folder after the upstream version; give it a fixed name.
	rm -rf "$unpacked"
	mv "$(find "$src_dir/tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)" "$unpacked"
	rm -rf "$src_dir/tmp"
	echo "$pkg $got" >"$unpacked/.unpacked"
	echo "$pkg $got" >>"$dir/versions.txt"
	echo "fetch-sources: $pkg $got"
done
