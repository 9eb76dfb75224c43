#!/usr/bin/env bash
# The real SDL backend under a virtual X server shows what the headless framebuffer shows: the
# start screen and the main menu are taken through the X server and compared with headless shots.
# usage: sdl-under-xvfb.sh PARLORA_BINARY DEMO_HOME WORK_DIR
set -euo pipefail
parlora="$(realpath "$1")" demo="$(realpath "$2")" work="$(realpath -m "$3")"
rm -rf "$work"; mkdir -p "$work"

# shellcheck source-path=SCRIPTDIR source=../../tools/lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/xvfb.sh"

# 1. Headless shots.
make_course "$work/course-headless"
cat > "$work/walk.txt" <<SCRIPT
expect-screen TForm_CustomStart
click 512 650
wait 1000
expect-screen TForm_StartNew
move 1000 60
shot $work/headless-start.png
click 811 719
wait 1000
key End
$(for i in $(seq 24); do echo "key BackSpace"; done)
type Sam
key Return
wait 1000
expect-screen TForm_Menu
move 1000 60
wait 300
shot $work/headless-menu.png
SCRIPT
env $(private_env "$work/xdg-headless") PARLORA_HOME="$work/course-headless" \
  timeout 60 "$parlora" --headless --script="$work/walk.txt"

# 2. The same walk on the real backend under Xvfb.
make_course "$work/course-x"
trap 'kill ${app:-} 2>/dev/null || true; xvfb_stop' EXIT
xvfb_start 1024x768x24 "$work/display" "$work/xvfb.log"
env $(private_env "$work/xdg-x") PARLORA_HOME="$work/course-x" SDL_AUDIODRIVER=dummy \
  "$parlora" >"$work/parlora.log" 2>&1 &
app=$!

differing() { # pixels of $1 and $2 that differ by more than a few levels
  compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true
}
# Waits until the X screen matches the headless shot (at most 10 s); prints the last difference.
wait_for() {
  local want="$1" got="$2" diff=""
  for i in $(seq 40); do
    import -window root "$got" 2>/dev/null || true
    diff=$(differing "$want" "$got")
    [ -n "$diff" ] && [ "${diff%.*}" -lt 2000 ] 2>/dev/null && { echo "$diff"; return 0; }
    sleep 0.25
  done
  echo "$diff"; return 1
}

x() { xdotool "$@"; sleep 0.15; }
sleep 1
x mousemove 512 650 click 1
sleep 1
x mousemove 1000 60
if ! d=$(wait_for "$work/headless-start.png" "$work/x-start.png"); then
  echo "start screen differs in $d pixels (see $work)"; cat "$work/parlora.log"; exit 1
fi
echo "start screen: $d pixels differ"
x mousemove 811 719 click 1
sleep 1
x key End
for i in $(seq 24); do xdotool key BackSpace; done
x type Sam
x key Return
sleep 1
x mousemove 1000 60
if ! d=$(wait_for "$work/headless-menu.png" "$work/x-menu.png"); then
  echo "main menu differs in $d pixels (see $work)"; cat "$work/parlora.log"; exit 1
fi
echo "main menu: $d pixels differ"
