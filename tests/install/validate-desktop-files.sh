#!/usr/bin/env bash
# The desktop entry, the AppStream file and the manual pages as the desktop's and Debian's own
# checkers read them. Exits 77 (skipped) when a checker is not installed (tools/setup-deps.sh
# installs them).
# usage: validate-desktop-files.sh DESKTOP_FILE METAINFO_FILE MAN_PAGE...
set -uo pipefail
desktop="$1" metainfo="$2"
shift 2
for tool in desktop-file-validate appstream-util man; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed" >&2
        exit 77
    fi
done
status=0
# desktop-file-validate prints hints too; any output but a hint is a fault.
out="$(desktop-file-validate "$desktop" 2>&1)" || status=1
if grep -v "hint:" <<<"$out" | grep -q .; then
    echo "$out" >&2
    status=1
fi
appstream-util validate-relax --nonet "$metainfo" >&2 || status=1
# The same check lintian makes: groff must render every page without a warning.
for page in "$@"; do
    warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
    if [[ -n "$warnings" ]]; then
        echo "$page: $warnings" >&2
        status=1
    fi
done
exit $status
