#!/usr/bin/env bash
# Installs the build into a temporary prefix as a user's `cmake --install` would, checks the
# layout, and starts the installed course there, headless, on the installed demo course, with
# nothing in its environment or its files pointing back into the build folder.
# usage: install-and-start.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build="$(realpath "$1")" version="$2" app="$3"
work="$(mktemp -d "${TMPDIR:-/tmp}/parlora-install.XXXXXX")"
trap 'rm -rf "$work"' EXIT
prefix="$work/usr"
fail() { echo "FAIL: $*" >&2; exit 1; }
# shellcheck source-path=SCRIPTDIR source=../../tools/lib/headless-start.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/headless-start.sh"

# 1. The install: stripped, as a package holds it.
start=$SECONDS
if ! cmake --install "$build" --prefix "$prefix" --strip >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "cmake --install"
fi
echo "installed in $((SECONDS - start)) s"

# 2. The layout.
for f in bin/parlora bin/parlora-content bin/parlora-get-help lib/parlora/libparlora_ffmpeg.so \
         "share/applications/$app.desktop" "share/metainfo/$app.metainfo.xml" \
         "share/icons/hicolor/scalable/apps/$app.svg" \
         share/doc/parlora/copyright share/doc/parlora/changelog.gz share/doc/parlora/README \
         share/doc/parlora-demo/copyright share/parlora/config.txt share/parlora/Licence.rtf \
         share/locale/en/LC_MESSAGES/parlora.mo share/locale/fr/LC_MESSAGES/parlora.mo \
         share/locale/es/LC_MESSAGES/parlora.mo share/locale/de/LC_MESSAGES/parlora.mo; do
    [[ -f "$prefix/$f" ]] || fail "$f is not installed"
done
for d in share/parlora/data share/parlora/Update; do
    [[ -d "$prefix/$d" ]] || fail "$d is not installed"
done
[[ ! -e "$prefix/share/parlora/demo-stamp.txt" ]] || fail "the generator's stamp is installed"
# Every icon is a PNG of the size its folder names.
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png"
    [[ -f "$png" ]] || fail "no ${size}x${size} icon"
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3 * 256 + $4, $7 * 256 + $8}')
    [[ "$w $h" == "$size $size" ]] || fail "the ${size}x${size} icon is ${w}x${h}"
done
# The desktop entry starts an installed program and names an installed icon.
exec_line="$(sed -n 's/^Exec=//p' "$prefix/share/applications/$app.desktop")"
[[ -x "$prefix/bin/${exec_line%% *}" ]] || fail "the desktop entry runs '$exec_line', which is not in bin/"
icon="$(sed -n 's/^Icon=//p' "$prefix/share/applications/$app.desktop")"
[[ -f "$prefix/share/icons/hicolor/48x48/apps/$icon.png" ]] || fail "the desktop entry's icon '$icon' is not installed"
# Every program has its manual page and answers --version with the build's version.
for program in "$prefix"/bin/*; do
    name="$(basename "$program")"
    [[ -f "$prefix/share/man/man1/$name.1.gz" ]] || fail "$name has no manual page"
    answer="$("$program" --version)" || fail "$name --version exits non-zero"
    [[ "$answer" == "$name (Parlora Plus) $version" ]] || fail "$name --version says '$answer'"
done

# 3. Nothing installed names the build or the source folder: no compiled-in module path, RPATH or
# generated file. The source folder is looked for as well, as the linker may share the start of a
# build path with another string and leave only that start whole.
source_dir="$(realpath "$(dirname "${BASH_SOURCE[0]}")/../..")"
for folder in "$build" "$source_dir"; do
    if grep -rlF -- "$folder" "$prefix" >"$work/named.txt"; then
        cat "$work/named.txt" >&2
        fail "installed files name the folder $folder"
    fi
done

# A clean environment: no variable of the build or of the test run leads anywhere else.
clean_env=(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
           XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run")
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"

# 4. The installed media module is found from the installed programs, and only there: the
# content tool reads an MP3 of the demo through it, and cannot once lib/parlora is moved away.
mp3="$(find "$prefix/share/parlora/data" -iname '*.mp3' -print -quit)"
[[ -n "$mp3" ]] || fail "the demo course has no MP3 sound"
(cd / && "${clean_env[@]}" "$prefix/bin/parlora-content" info "$mp3") >"$work/info.txt" 2>&1 ||
    { cat "$work/info.txt" >&2; fail "the installed content tool cannot read $mp3"; }
grep -q "ms" "$work/info.txt" || fail "no length for $mp3: $(cat "$work/info.txt")"
mv "$prefix/lib/parlora" "$prefix/lib/parlora.away"
if (cd / && "${clean_env[@]}" "$prefix/bin/parlora-content" info "$mp3") >"$work/info-away.txt" 2>&1 &&
    grep -q " ms" "$work/info-away.txt"; then
    fail "an MP3 was read with the installed module moved away: $(cat "$work/info-away.txt")"
fi
grep -q "none of .*$prefix/lib/parlora" "$work/info-away.txt" ||
    fail "the message does not say where the module was looked for: $(cat "$work/info-away.txt")"
mv "$prefix/lib/parlora.away" "$prefix/lib/parlora"

# 5. The installed course, started from its bin/ with no PARLORA_HOME, finds its home in
# ../share/parlora, takes a new learner to the main menu, and writes only into the user's folders.
headless_menu_walk "$work/menu.txt"
find "$prefix" -printf '%p %s %T@\n' | sort >"$work/before.txt"
start=$SECONDS
headless_to_menu / "$work/menu.txt" "$work/run.txt" "${clean_env[@]}" timeout 60 "$prefix/bin/parlora"
echo "the installed course reached the main menu in $((SECONDS - start)) s"
find "$prefix" -printf '%p %s %T@\n' | sort >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" >&2 || fail "the course wrote into its installed tree"
[[ -d "$work/home/.local/share/Lingwell/ParloraPlus" ]] || fail "no records folder in the user's data folder"
grep -rqs "Sam" "$work/home/.local/share/Lingwell/ParloraPlus" || fail "the new learner's records were not written"
echo "ok"
