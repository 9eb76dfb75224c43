#!/bin/sh
# Makes this course's own pictures and recordings again: drawings written as SVG (some turned into
# PNG and JPEG, so the sheet uses every picture format), and German words spoken by espeak-ng at
# other pitches and speeds, standing in for a person's recording session.
set -eu
cd "$(dirname "$0")"
mkdir -p pictures recordings

cat > pictures/cat.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="240" height="200" viewBox="0 0 240 200">
<rect width="240" height="200" fill="#fdf3d8"/>
<ellipse cx="120" cy="140" rx="70" ry="50" fill="#f08c2e"/>
<circle cx="120" cy="80" r="48" fill="#f08c2e"/>
<polygon points="80,50 90,10 110,40" fill="#f08c2e"/><polygon points="160,50 150,10 130,40" fill="#f08c2e"/>
<circle cx="102" cy="76" r="8" fill="#222"/><circle cx="138" cy="76" r="8" fill="#222"/>
<polygon points="114,94 126,94 120,102" fill="#c0392b"/>
<path d="M185,150 q40,-10 30,-60" stroke="#f08c2e" stroke-width="12" fill="none" stroke-linecap="round"/>
</svg>
SVG

cat > pictures/sun.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="200" height="200" viewBox="0 0 200 200">
<rect width="200" height="200" fill="#8fd3ff"/>
<g stroke="#ffb300" stroke-width="10" stroke-linecap="round">
<line x1="100" y1="10" x2="100" y2="40"/><line x1="100" y1="160" x2="100" y2="190"/>
<line x1="10" y1="100" x2="40" y2="100"/><line x1="160" y1="100" x2="190" y2="100"/>
<line x1="36" y1="36" x2="58" y2="58"/><line x1="142" y1="142" x2="164" y2="164"/>
<line x1="36" y1="164" x2="58" y2="142"/><line x1="142" y1="58" x2="164" y2="36"/></g>
<circle cx="100" cy="100" r="48" fill="#ffd83b"/>
</svg>
SVG

# A long, low train: a wide picture, fitted with room above and below.
cat > pictures/train.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="480" height="140" viewBox="0 0 480 140">
<rect width="480" height="140" fill="#e8f4e8"/>
<rect x="10" y="40" width="130" height="70" rx="8" fill="#d0342c"/><rect x="30" y="15" width="40" height="30" fill="#333"/>
<rect x="150" y="50" width="150" height="60" rx="6" fill="#2c6fd0"/><rect x="310" y="50" width="150" height="60" rx="6" fill="#2c9f4a"/>
<g fill="#222"><circle cx="45" cy="115" r="14"/><circle cx="105" cy="115" r="14"/><circle cx="185" cy="115" r="12"/>
<circle cx="265" cy="115" r="12"/><circle cx="345" cy="115" r="12"/><circle cx="425" cy="115" r="12"/></g>
<rect x="0" y="128" width="480" height="6" fill="#7a5230"/>
</svg>
SVG

# A house, tall and narrow, as a PNG.
cat > house.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="160" height="260" viewBox="0 0 160 260">
<rect width="160" height="260" fill="#cfe9ff"/>
<polygon points="10,110 80,20 150,110" fill="#a0522d"/>
<rect x="25" y="110" width="110" height="140" fill="#f5deb3"/>
<rect x="65" y="180" width="30" height="70" fill="#6b3e1f"/>
<rect x="40" y="130" width="25" height="25" fill="#87cefa"/><rect x="95" y="130" width="25" height="25" fill="#87cefa"/>
</svg>
SVG
ffmpeg -nostdin -loglevel error -y -i house.svg -frames:v 1 pictures/house.png

cat > apple.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="220" height="220" viewBox="0 0 220 220">
<rect width="220" height="220" fill="#ffffff"/>
<circle cx="88" cy="125" r="62" fill="#d62d20"/><circle cx="132" cy="125" r="62" fill="#d62d20"/>
<rect x="105" y="30" width="10" height="40" fill="#5b3a1a"/>
<ellipse cx="140" cy="45" rx="28" ry="12" fill="#3c9a36" transform="rotate(-25 140 45)"/>
<ellipse cx="80" cy="100" rx="12" ry="20" fill="#f7a59e"/>
</svg>
SVG
ffmpeg -nostdin -loglevel error -y -i apple.svg -frames:v 1 pictures/apple.png

# A tree as a JPEG, the way a camera or a scanner gives a picture.
cat > tree.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="300" height="300" viewBox="0 0 300 300">
<rect width="300" height="300" fill="#bfe6ff"/><rect y="240" width="300" height="60" fill="#6fbf4a"/>
<rect x="135" y="150" width="30" height="100" fill="#7a4a22"/>
<circle cx="150" cy="120" r="70" fill="#2f8f3a"/><circle cx="105" cy="150" r="45" fill="#2f8f3a"/>
<circle cx="195" cy="150" r="45" fill="#2f8f3a"/>
</svg>
SVG
ffmpeg -nostdin -loglevel error -y -i tree.svg -frames:v 1 -q:v 4 pictures/tree.jpg
rm -f house.svg apple.svg tree.svg

# "A person": a lower or a higher voice than the course's own, slower, with silence round the
# word as a real recording has; the course trims it and evens the loudness.
say() { # WORD PITCH VARIANT OUT
    espeak-ng -v "de+$3" -p "$2" -s 130 -w recordings/tmp.wav "$1"
    case "$4" in
    *.ogg) ffmpeg -nostdin -loglevel error -y -i recordings/tmp.wav -af "adelay=400,apad=pad_dur=0.6,volume=0.5" \
               -ar 22050 -c:a libvorbis -q:a 2 "recordings/$4" ;;
    *) ffmpeg -nostdin -loglevel error -y -i recordings/tmp.wav -af "adelay=300,apad=pad_dur=0.5" -ar 16000 \
           "recordings/$4" ;;
    esac
    rm -f recordings/tmp.wav
}
say "die Katze" 25 m1 de-katze-m.ogg
say "die Katze" 80 f2 de-katze-f.wav
say "der Hund" 25 m1 de-hund-m.ogg
say "das Haus" 25 m1 de-haus-m.ogg
say "das Haus" 80 f2 de-haus-f.ogg
say "eins" 25 m1 de-eins-m.ogg
say "eins" 80 f2 de-eins-f.ogg
