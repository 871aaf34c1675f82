#!/usr/bin/env bash
# Re-makes the README's pictures (docs/screenshots/): the program on a virtual 1024 x 600
# display with sample data, the notebook and the address page (also in a dark colour scheme and in
# English) and the new-address dialog. Needs xvfb (Debian: xvfb, xauth) and a build in ./build.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$here/build}
out=$here/docs/screenshots
cmake --build "$build" --target velmora_screenshots velmora_delivered_db >/dev/null
mkdir -p "$out"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
for scheme in "" --dark --english; do
    # The window's remembered state and Qt's own settings stay out of the home folder.
    XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x600x24" \
        "$build/bin/velmora_screenshots" "$build/delivered/empty-bookkeep.dat" "$out" $scheme
done
