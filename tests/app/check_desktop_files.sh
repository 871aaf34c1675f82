#!/bin/sh
# Installs the built program into a temporary prefix and checks its desktop files there: the
# menu entry and the AppStream description pass their validators, the entry starts the installed
# program, and the icon is there in every size.
set -eu
build=$1
for tool in desktop-file-validate appstreamcli; do
    command -v $tool >/dev/null || { echo "$tool is not installed"; exit 77; }
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
id=app.velmora.Velmora
cmake --install "$build" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml"
grep -qx "Exec=\"$prefix/velmora\"" "$prefix/share/applications/$id.desktop"
test -x "$prefix/velmora"
test -f "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
for size in 16 32 48 64 128 256; do
    test -f "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
done
echo "desktop files valid"
