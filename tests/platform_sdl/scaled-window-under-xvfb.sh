#!/usr/bin/env bash
# The real window on large virtual screens (1920 x 1080 and 3840 x 2160): resized to fill the screen,
# it shows the headless frame of the same screen scaled to fit between black bars (ImageMagick's
# bilinear resize is the reference, with a tolerance for rounding), and a click at the scaled place
# of the start area opens the next screen, which again matches its scaled headless frame.
# Exits 77 (skipped) when Xvfb or the X tools are missing.
# usage: scaled-window-under-xvfb.sh PARLORA_BINARY DEMO_HOME WORK_DIR
set -euo pipefail
for tool in Xvfb xdotool import compare convert identify; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (tools/setup-deps.sh installs it)"; exit 77; }
done
parlora="$(realpath "$1")" demo="$(realpath "$2")" work="$(realpath -m "$3")"
rm -rf "$work"; mkdir -p "$work"
[ -x "$parlora" ] && [ -d "$demo/data" ] || { echo "no course at $demo or no program at $parlora"; exit 1; }

# shellcheck source-path=SCRIPTDIR source=../../tools/lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/xvfb.sh"

# 1. The frames, headless: the start screen, and the screen its start area opens.
make_course "$work/course-headless"
cat > "$work/walk.txt" <<SCRIPT
expect-screen TForm_CustomStart
move 1000 60
shot $work/start.png
click 512 650
wait 1000
expect-screen TForm_StartNew
move 1000 60
shot $work/next.png
SCRIPT
env $(private_env "$work/xdg-headless") PARLORA_HOME="$work/course-headless" \
  timeout 60 "$parlora" --headless --script="$work/walk.txt" >"$work/headless.log" 2>&1 ||
  { cat "$work/headless.log"; exit 1; }

app=""
stop() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  xvfb_stop
  app=""
}
trap 'stop || true' EXIT

differing() { # pixels of $1 and $2 that differ by more than the rounding of two bilinear scalers
  # compare looks for a smaller picture inside a larger one: sizes must match first.
  [ "$(identify -ping -format '%wx%h' "$1" 2>/dev/null)" = "$(identify -ping -format '%wx%h' "$2" 2>/dev/null)" ] ||
    { echo "none (the window is $(identify -ping -format '%wx%h' "$2" 2>/dev/null))"; return; }
  # Large counts come as 6.4e+06; anything else is no count at all.
  compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 |
    awk 'NR == 1 { if ($1 ~ /^[0-9.]+(e[+-]?[0-9]+)?$/) printf "%d", $1; else printf "none" }' || true
}
# Waits until the window's picture matches $1 (at most about 8 s); prints the last difference.
wait_for() {
  local want="$1" got="$2" limit="$3" diff=""
  for _ in $(seq 16); do
    import -window "$wid" "$got" 2>/dev/null || true
    diff=$(differing "$want" "$got")
    [ -n "$diff" ] && [ "$diff" -le "$limit" ] 2>/dev/null && { echo "$diff"; return 0; }
    sleep 0.5
  done
  echo "$diff"; return 1
}

for size in 1920x1080 3840x2160; do
  sw=${size%x*} sh=${size#*x}
  # Where the frame lands: as large as fits, centred.
  read -r tw th tx ty < <(awk -v W="$sw" -v H="$sh" 'BEGIN {
    s = (W / 1024 < H / 768) ? W / 1024 : H / 768; w = int(1024 * s + 0.5); h = int(768 * s + 0.5);
    print w, h, int((W - w) / 2), int((H - h) / 2) }')
  # A frame point's place on the screen: the centre of its scaled pixel.
  at() { awk -v x="$1" -v y="$2" -v tw="$tw" -v th="$th" -v tx="$tx" -v ty="$ty" \
    'BEGIN { print int(tx + (x + 0.5) * tw / 1024), int(ty + (y + 0.5) * th / 768) }'; }
  # A share of the picture may differ beyond the tolerance: the edges of text and sharp lines.
  limit=$((tw * th / 400))

  xvfb_start "${size}x24" "$work/display-$size" "$work/xvfb-$size.log"
  make_course "$work/course-$size"
  env $(private_env "$work/xdg-$size") PARLORA_HOME="$work/course-$size" SDL_AUDIODRIVER=dummy \
    SDL_VIDEODRIVER=x11 "$parlora" >"$work/parlora-$size.log" 2>&1 &
  app=$!
  # The references, made while the course starts.
  for shot in start next; do
    convert "$work/$shot.png" -filter Triangle -resize "${tw}x${th}!" -background black -gravity center \
      -extent "${sw}x${sh}" "$work/$shot-$size.miff"
  done
  wid=""
  for _ in $(seq 50); do
    # Its name is UTF-8, which xdotool's name search does not read: found by its class.
    wid=$(xdotool search --class '^parlora$' 2>/dev/null | head -n1) && [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || { echo "$size: no window"; cat "$work/parlora-$size.log"; exit 1; }
  # No window manager here to maximise it: the window is made to fill the screen as one would.
  xdotool windowmove "$wid" 0 0 windowsize "$wid" "$sw" "$sh"
  xdotool mousemove $(at 1000 60)

  if ! d=$(wait_for "$work/start-$size.miff" "$work/x-start-$size.miff" "$limit"); then
    echo "$size: the start screen differs in $d pixels (at most $limit; see $work)"
    cat "$work/parlora-$size.log"; exit 1
  fi
  echo "$size: start screen, $d of $((tw * th)) pixels beyond the tolerance"
  # A press on the bar beside the picture goes nowhere; the start area's scaled place opens the next screen.
  xdotool mousemove $((tx / 2)) $((sh / 2)) click 1
  xdotool mousemove $(at 512 650) click 1
  sleep 0.3
  xdotool mousemove $(at 1000 60)
  if ! d=$(wait_for "$work/next-$size.miff" "$work/x-next-$size.miff" "$limit"); then
    echo "$size: after the click the screen differs in $d pixels from the next screen (see $work)"
    cat "$work/parlora-$size.log"; exit 1
  fi
  echo "$size: next screen, $d pixels beyond the tolerance"
  stop
done
rm -f "$work"/*.miff
