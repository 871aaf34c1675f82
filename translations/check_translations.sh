#!/bin/sh
# Fails when a text of the sources has no finished English translation, or when the translation
# holds texts the sources no longer have: lupdate writes an up-to-date copy, which must match.
# check_translations.sh LUPDATE SOURCE-FOLDER TS-FILE
set -eu
lupdate=$1 sources=$2 ts=$3
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp "$ts" "$copy/velmora_en.ts"
"$lupdate" -locations none -no-obsolete -source-language zh_CN -target-language en \
    "$sources" -ts "$copy/velmora_en.ts" >"$copy/lupdate.log" 2>&1 || {
    cat "$copy/lupdate.log"
    exit 1
}
unfinished=$(grep -c 'type="unfinished"' "$copy/velmora_en.ts" || true)
if [ "$unfinished" -ne 0 ]; then
    echo "$unfinished texts have no English translation yet (run the update_translations target):"
    grep -B3 'type="unfinished"' "$copy/velmora_en.ts" | grep '<source>' | head -20
    exit 1
fi
if ! cmp -s "$ts" "$copy/velmora_en.ts"; then
    echo "$ts is not up to date with the sources (run the update_translations target):"
    diff "$ts" "$copy/velmora_en.ts" | head -40
    exit 1
fi
echo "every text has its English translation"
