#!/usr/bin/env bash
# Every text the program passes through Tr() has an entry, translated, in every catalogue: a new
# message without one would show in English on a French desktop, and nobody would notice.
# usage: catalogues-complete.sh SOURCE_DIR
set -euo pipefail
src="$(realpath "$1")"
work="$(mktemp -d "${TMPDIR:-/tmp}/parlora-po.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$src"
# The program's own sources; tests and tools have no catalogue.
find core platform display media engine shell front users activities printing network export \
    \( -name '*.cpp' -o -name '*.h' \) -print | sort >"$work/files.txt"
xgettext --language=C++ --keyword=Tr --from-code=UTF-8 --files-from="$work/files.txt" \
    --output="$work/parlora.pot"
[[ -s "$work/parlora.pot" ]] || { echo "FAIL: no Tr() text found in the sources" >&2; exit 1; }
status=0
for po in po/*.po; do
    # msgcmp names each text of the sources the catalogue lacks.
    if ! msgcmp "$po" "$work/parlora.pot" 2>"$work/cmp.txt"; then
        cat "$work/cmp.txt" >&2
        echo "FAIL: $po lacks texts the program shows" >&2
        status=1
    fi
    stats="$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$po" 2>&1)"
    if [[ "$stats" == *untranslated* || "$stats" == *fuzzy* ]]; then
        echo "FAIL: $po: $stats" >&2
        status=1
    fi
done
exit "$status"
