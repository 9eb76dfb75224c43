#!/usr/bin/env bash
# The second course, German for Polish speakers, made from its sheet: it must build, pass the
# content check, and show its start screen, main menu and first-words practice in a headless run
# without a single missing-file message.
#
#   second-course.sh PARLORA_CONTENT PARLORA SHEET WORK_DIR
set -euo pipefail
content="$1" bin="$2" sheet="$3" work="$4"
rm -rf "$work"
mkdir -p "$work/home/run" "$work/shots"
chmod 700 "$work/home/run"

"$content" build --jobs=2 "$sheet" "$work/course" >"$work/build.log" 2>&1 ||
    { tail -n 20 "$work/build.log" >&2; echo "second course: build failed" >&2; exit 1; }
"$content" check "$work/course/parlora/data" >"$work/check.log" 2>&1 ||
    { grep -v '^ok' "$work/check.log" | tail -n 20 >&2; echo "second course: check failed" >&2; exit 1; }
grep -q '^0 missing, 0 unreadable' "$work/check.log" || { tail -n 5 "$work/check.log" >&2; exit 1; }

# Start screen, a new student, the menu, first words practice with a word chosen.
script="$work/walk.txt"
{
    printf '%s\n' "expect-screen TForm_CustomStart" "click 512 650" "wait 1000"
    printf '%s\n' "expect-screen TForm_StartNew" "move 1000 60" "shot start.png" "click 811 719" "wait 1000"
    printf '%s\n' "expect-screen TForm_TypeName" "key End"
    for _ in $(seq 24); do printf '%s\n' "key BackSpace"; done
    printf '%s\n' "type Ola" "key Return" "wait 1000"
    printf '%s\n' "expect-screen TForm_NewUser" "click 52 732" "wait 500" "click 511 542" "wait 3000"
    printf '%s\n' "expect-screen TForm_Menu" "move 1000 60" "shot menu.png"
    printf '%s\n' "click 514 191" "wait 1500" "expect-screen TForm_WordsMenu"
    printf '%s\n' "click 439 271" "wait 1500" "expect-screen TForm_WordsPractice"
    printf '%s\n' "click 492 456" "wait 1500" "move 1000 60" "shot practice.png"
} >"$script"
home="$work/home"
(cd "$work/shots" &&
    env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run" \
        PARLORA_HOME="$work/course/parlora" "$bin" --headless --script="$script") 2>"$work/walk.err" ||
    { cat "$work/walk.err" >&2; echo "second course: the walk failed" >&2; exit 1; }
if grep -Ei "can't find|import of|preload failed|not recognised|couldn't read" "$work/walk.err" >&2; then
    echo "second course: the walk met missing or unreadable files" >&2
    exit 1
fi
for shot in start menu practice; do
    [[ -s "$work/shots/$shot.png" ]] || { echo "second course: no $shot.png" >&2; exit 1; }
done
# A sheet with a row gone stops with its line and column, and the course built before stays whole.
mkdir -p "$work/short"
ln -s "$(cd "$(dirname "$sheet")" && pwd)"/{pictures,recordings} "$work/short/"
grep -v '^FD,17,' "$sheet" >"$work/short/sheet.csv"
if "$content" build "$work/short/sheet.csv" "$work/course" 2>"$work/short.err"; then
    echo "second course: a sheet with a row missing was built" >&2
    exit 1
fi
grep -q 'line [0-9]*, column 2: FD has 40 of the 41 rows' "$work/short.err" || { cat "$work/short.err" >&2; exit 1; }
"$content" check "$work/course/parlora/data" | grep -q '^0 missing, 0 unreadable' ||
    { echo "second course: a failed build touched the course" >&2; exit 1; }
echo "second course: built, checked and walked"
