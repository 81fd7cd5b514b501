#!/usr/bin/env bash
# Makes the .deb from build/ (scripts/build.sh first) and checks it: what it installs, its
# dependencies, and its desktop entry and AppStream metainfo as the validators see them.
set -euo pipefail
cd "$(dirname "$0")/../build"
rm -f kestrano-raffle_*.deb
cpack -G DEB >/dev/null
deb=$(ls kestrano-raffle_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/raffle ./usr/share/applications/com.kestrano.raffle.desktop \
         ./usr/share/metainfo/com.kestrano.raffle.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/com.kestrano.raffle.png \
         ./usr/share/icons/hicolor/256x256/apps/com.kestrano.raffle.png; do
    grep -qxF "$f" <<<"$contents" || { echo "package: $f is missing" >&2; exit 1; }
done
# The installed program keeps its data in the user's folder: nothing of the portable layout.
if grep -qE '^\./usr/(DB|bin/.*\.(wav|bmp))' <<<"$contents"; then
    echo "package: it carries the portable layout's DB folder or loose files" >&2
    exit 1
fi
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || { echo "package: computed dependencies missing: $depends" >&2; exit 1; }
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/com.kestrano.raffle.desktop"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/com.kestrano.raffle.metainfo.xml" >/dev/null
echo "package: ok ($deb)"
