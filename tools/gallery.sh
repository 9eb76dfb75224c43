#!/usr/bin/env bash
# Drives the demo course headless through every screen built so far and writes a picture of each
# screen and of its main states into docs/gallery/, with docs/gallery/README.md as their index.
#
#   bash tools/gallery.sh
#
# It builds parlora and parlora-content into build-gallery/ (GALLERY_BUILD names another folder;
# one that is already configured is built as it is) and makes the demo course there. PARLORA_BIN
# and PARLORA_CONTENT name programs built elsewhere instead. GALLERY_FULL_DIR, when set, also
# receives the shots at full size. Every run of the course must end with every expectation held:
# any other end stops the gallery with the failing line. Pictures no longer taken are removed.
# GALLERY_SCRIPTS_ONLY=DIR writes the scripts into DIR (with runs.txt: script and home folder, in
# the order they run) instead of running them, for tools that replay the walk.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${GALLERY_BUILD:-$root/build-gallery}"
out="$root/docs/gallery"
started=$SECONDS

command -v convert >/dev/null ||
    { echo "gallery: ImageMagick's convert is missing (bash tools/setup-deps.sh installs it)" >&2; exit 1; }

targets=()
[[ -n "${PARLORA_BIN:-}" ]] || targets+=(parlora)
[[ -n "${PARLORA_CONTENT:-}" ]] || targets+=(parlora-content)
if ((${#targets[@]})); then
    # A folder someone already configured keeps its own options.
    [[ -f "$build/CMakeCache.txt" ]] ||
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARLORA_BUILD_BENCH=OFF \
              -DPARLORA_BUILD_TESTS=OFF
    cmake --build "$build" --target "${targets[@]}"
fi
bin="${PARLORA_BIN:-$build/shell/parlora}"
content="${PARLORA_CONTENT:-$build/tools/parlora-content}"
"$content" demo --if-changed "$build/demo"
course="$build/demo/parlora"

work="$(mktemp -d "${TMPDIR:-/tmp}/parlora-gallery.XXXXXX")"
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir -p "$work/scripts" "$work/shots" "$work/homes" "$work/small"
: >"$work/manifest"
: >"$work/messages"

# ---- writing scripts ----

cur=""      # the script being written
lines=0     # its length, for finding a failing line again
section=""  # the index section the next shots belong to

new_script() {
    cur="$work/scripts/$1.txt"
    : >"$cur"
    lines=0
}
line() {
    printf '%s\n' "$@" >>"$cur"
    lines=$((lines + $#))
}
entry() { printf '%s\t%s\t%s\t%s\n' "$section" "$1" "$2" "$3" >>"$work/manifest"; }
# shot FILE CLASS STATE: the screen must be CLASS; the pointer is parked where it lights nothing up.
shot() {
    line "expect-screen $2" "move 1000 60" "shot $1.png"
    entry "$1" "$2" "$3"
}
# The same with the pointer left where it is, for what it lights up.
shot_here() {
    line "expect-screen $2" "shot $1.png"
    entry "$1" "$2" "$3"
}

# Where things are on the 1024 x 768 screen (the centres of the screens' buttons).
help_dialog_exit="511 542"
menu_exit="986 737"
menu_help="52 737"
menu_actor="594 698"
menu_section=("514 191" "627 232" "688 336" "667 455" "575 533" "454 532" "361 455" "341 336" "401 232")
topic_name=(words food colours phrases body numbers time shopping countries)
topic_title=("first words" food colours phrases body numbers time shopping countries)
topic_menu=(TForm_WordsMenu TForm_FoodMenu TForm_ColoursMenu TForm_PhrasesMenu TForm_BodyMenu
            TForm_NumbersMenu TForm_TimeMenu TForm_ShoppingMenu TForm_CountriesMenu)
topic_practice_class=(TForm_WordsPractice TForm_FoodPractice TForm_ColoursPractice TForm_WordsPractice
                      TForm_BodyPractice TForm_NumbersPractice TForm_TimePractice TForm_ShoppingPractice
                      TForm_CountriesPractice)
# What a click chooses on each practice screen: the third word, a plum, yellow, the third phrase,
# the head, three, ten past three (hour, then minute), the second shopping item, the second flag.
topic_practice_item=("492 456" "330 98" "459 104" "492 456" "555 215" "372 90" "662 380;720 260" "238 98"
                     "354 109")
topic_practice="439 271"
topic_easy="406 381"
topic_back="989 735"
topic_help="52 735"
practice_record="386 717"
practice_play="514 717"
practice_quit="982 729"
practice_help="45 729"

# From the custom start screen to the main menu as a new student called $1: the start screen, the
# name typed over the offered one, the welcome screen and its help, which leads on to the menu.
new_student_to_menu() {
    line "expect-screen TForm_CustomStart" "click 512 650" "wait 1000"
    line "expect-screen TForm_StartNew" "click 811 719" "wait 1000"
    line "expect-screen TForm_TypeName" "key End"
    for _ in $(seq 24); do line "key BackSpace"; done
    line "type $1" "key Return" "wait 1000"
    line "expect-screen TForm_NewUser" "click 52 732" "wait 500" "click $help_dialog_exit" "wait 3000"
    line "expect-screen TForm_Menu" "move 1000 60"
}
open_topic() { line "click ${menu_section[$1]}" "wait 1500" "expect-screen ${topic_menu[$1]}"; }
back_to_menu() { line "click $topic_back" "wait 1500" "expect-screen TForm_Menu" "move 1000 60"; }

# ---- running them ----

# run SCRIPT HOME [probe]: runs the course on the demo with its own user folders under homes/HOME,
# which keep their students from one run to the next. Shots land in shots/. What the course writes
# on its error output is kept for the end, but not the failure a probe is there to find.
run() {
    local script="$work/scripts/$1.txt" home="$work/homes/$2" err="$work/$1.err" status=0
    # Only the scripts are wanted (other tools replay them): keep each with its home, in order.
    # Probes still run, as the scripts after them depend on what they find.
    if [[ -n "${GALLERY_SCRIPTS_ONLY:-}" && -z "${3:-}" ]]; then
        cp "$script" "$GALLERY_SCRIPTS_ONLY/$1.txt"
        printf '%s\t%s\n' "$1" "$2" >>"$GALLERY_SCRIPTS_ONLY/runs.txt"
        return 0
    fi
    echo "gallery: running $1"
    mkdir -p "$home/run"
    chmod 700 "$home/run"
    (cd "$work/shots" &&
        env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run" \
            PARLORA_HOME="$course" "$bin" --headless --script="$script") 2>"$err" || status=$?
    if [[ -n "${3:-}" ]]; then
        grep -v '^script line [0-9]* failed: expected screen' "$err" | sed "s/^/  $1: /" >>"$work/messages" || true
    else
        sed "s/^/  $1: /" "$err" >>"$work/messages"
    fi
    return $status
}
# Stops the gallery with what went wrong in script $1.
failed() {
    local n
    echo "gallery: the run of $1 failed:" >&2
    sed 's/^/  /' "$work/$1.err" >&2
    n="$(sed -n 's/^script line \([0-9]*\) failed.*/\1/p' "$work/$1.err" | head -n 1)"
    if [[ -n "$n" ]]; then
        echo "  script lines $((n > 5 ? n - 5 : 1)) to $n:" >&2
        sed -n "$((n > 5 ? n - 5 : 1)),${n}p" "$work/scripts/$1.txt" | sed 's/^/    /' >&2
    fi
    exit 1
}
run_or_fail() { run "$1" "$2" || failed "$1"; }

# ---- the start screens, a new student, the menus ----

section="Start screens, new student, menus"
new_script front
shot custom-start TForm_CustomStart "the edition's own start screen"
line "click 512 650" "wait 1000"
shot start TForm_StartNew "start screen, Spanish chosen in the language list"
line "click 785 169" "wait 500"
shot start-french TForm_StartNew "French chosen in the language list"
line "click 785 133" "wait 500"
line "click 159 333" "wait 1500"
shot start-licence TForm_StartNew "licence box"
line "click 524 511" "wait 1500" "click 159 407" "wait 1500"
shot start-readme TForm_StartNew "read-me box"
line "click 524 511" "wait 1500" "click 159 369" "wait 1500"
shot start-information TForm_StartNew "information box"
line "click 524 511" "wait 1500" "click 272 704" "wait 500"
shot start-help TForm_StartNew "help dialog"
line "click $help_dialog_exit" "wait 500" "click 915 636" "wait 800"
shot start-export TForm_StartNew "export dialog over the darkened start screen"
line "click 616 610" "wait 60"
shot start-export-progress TForm_StartNew "export part-way (the tracks go to the private home's Music folder)"
line "wait 3000" "click 811 719" "wait 1000"
shot type-name TForm_TypeName "first student: the account's name offered"
line "key End"
for _ in $(seq 24); do line "key BackSpace"; done
line "type Sam"
shot type-name-typed TForm_TypeName "a name typed"
line "click 51 737" "wait 500"
shot type-name-help TForm_TypeName "help dialog"
line "click $help_dialog_exit" "wait 500" "key Return" "wait 1000"
shot welcome TForm_NewUser "welcome screen of a new student"
line "click 52 732" "wait 500"
shot welcome-help TForm_NewUser "help dialog (it leads on to the main menu)"
line "click $help_dialog_exit" "wait 3000"
shot menu TForm_Menu "main menu"
line "move ${menu_section[0]}" "wait 300"
shot_here menu-hover TForm_Menu "the pointer on a topic"
line "click $menu_help" "wait 500"
shot menu-help TForm_Menu "help dialog"
line "click $help_dialog_exit" "wait 500" "click $menu_actor" "wait 1500"
shot actor TForm_Actor "actor choice: the current pair"
line "click 327 520" "wait 300" "click 798 520" "wait 1000"
shot actor-changed TForm_Actor "another pair chosen"
line "click 985 737" "wait 2000" "expect-screen TForm_Menu" "move 1000 60"
for t in "${!topic_name[@]}"; do
    open_topic "$t"
    shot "topic-${topic_name[$t]}" "${topic_menu[$t]}" "topic menu: ${topic_title[$t]}"
    if ((t == 0)); then
        line "click $topic_help" "wait 500"
        shot topic-help "${topic_menu[$t]}" "help dialog"
        line "click $help_dialog_exit" "wait 500"
    fi
    back_to_menu
done
line "click $menu_exit" "wait 1500" "expect-screen TForm_StartNew" "click 54 730" "wait 1500"
shot end TForm_CustomEnd "the edition's own exit screen, after Quit on the start screen"
run_or_fail front front

# ---- choosing a name: a second run, with students already there ----

section="Choosing a name"
students=(Alex Mia Tom Zoe Lena Omar Ben Ana Luca Nina Ravi Eva)
new_script students
new_student_to_menu Sam
for name in "${students[@]}"; do
    line "click $menu_exit" "wait 1500" "expect-screen TForm_StartNew" "click 811 719" "wait 1000"
    line "expect-screen TForm_ChooseName" "type $name" "key Return" "wait 1000"
    line "expect-screen TForm_NewUser" "click 52 732" "wait 500" "click $help_dialog_exit" "wait 3000"
    line "expect-screen TForm_Menu" "move 1000 60"
done
run_or_fail students names

new_script names
line "expect-screen TForm_CustomStart" "click 512 650" "wait 1000"
line "expect-screen TForm_StartNew" "click 811 719" "wait 1000"
shot choose-name TForm_ChooseName "thirteen students, none chosen yet"
line "click 480 188" "wait 300"
shot choose-name-chosen TForm_ChooseName "a student chosen"
line "click 620 332" "wait 600" "click 620 332" "wait 600"
shot choose-name-scrolled TForm_ChooseName "the list scrolled down"
line "type Kim" "wait 300"
shot choose-name-new TForm_ChooseName "a new name typed"
line "key BackSpace" "key BackSpace" "key BackSpace" "click 51 737" "wait 500"
shot choose-name-help TForm_ChooseName "help dialog"
line "click $help_dialog_exit" "wait 500" "click 480 188" "wait 300" "click 795 482" "wait 1500"
line "expect-screen TForm_Menu"
run_or_fail names names

# ---- practice screens ----

section="Practice"
new_script practice
new_student_to_menu Sam
for t in "${!topic_name[@]}"; do
    n="${topic_name[$t]}" class="${topic_practice_class[$t]}" title="${topic_title[$t]}"
    open_topic "$t"
    line "click $topic_practice" "wait 1500"
    shot "practice-$n" "$class" "$title: nothing chosen yet"
    if ((t == 0)); then
        line "click $practice_help" "wait 500"
        shot practice-help "$class" "$title: help dialog"
        line "click $help_dialog_exit" "wait 500"
    fi
    IFS=';' read -r -a clicks <<<"${topic_practice_item[$t]}"
    for c in "${clicks[@]}"; do line "click $c" "wait 1500"; done
    shot "practice-$n-item" "$class" "$title: an item chosen"
    line "click $practice_record" "wait 3000"
    shot "practice-$n-record" "$class" "$title: recording the learner"
    line "wait 5000" "click $practice_play" "wait 1500"
    shot "practice-$n-playback" "$class" "$title: playing the recording back"
    line "wait 8000" "click $practice_quit" "wait 1500"
    if ((t == 0)); then shot topic-words-practised "${topic_menu[$t]}" "after the practice: its tick"; fi
    back_to_menu
done
run_or_fail practice practice

# ---- easy games ----

section="Easy games"
# Each game is played by answering at the four places in turn, one answer when the question is
# asked, so every question ends right sooner or later. A first run finds after which answer the
# game ends and how many seconds later it leaves; the second takes its pictures at those times.
game_start() {  # game_start TOPIC: a new student's way into the topic's easy game
    new_student_to_menu Sam
    open_topic "$1"
    line "click $topic_easy"
}
# game TOPIC CLASS WAIT_S PLACES...: WAIT_S is long enough for a right answer to lead to the next
# question asked (and for the last one to the end of the game).
game() {
    local t=$1 class=$2 wait_s=$3 name="easy-${topic_name[$1]}" title="${topic_title[$1]}" k s max=40
    shift 3
    local places=("$@") map="$work/$name.map"
    new_script "$name-probe"
    game_start "$t"
    line "wait 11000" "expect-screen $class"
    : >"$map"
    for k in $(seq $max); do
        line "click ${places[$(((k - 1) % 4))]}"
        for s in $(seq "$wait_s"); do
            line "wait 1000" "expect-screen $class"
            echo "$lines $k $s" >>"$map"
        done
    done
    if run "$name-probe" "$name-probe" probe; then
        echo "gallery: $name did not end after $max answers" >&2
        exit 1
    fi
    local failing last end
    failing="$(sed -n "s/^script line \([0-9]*\) failed: expected screen $class, found ${topic_menu[$t]}$/\1/p" \
        "$work/$name-probe.err")"
    [[ -n "$failing" ]] || failed "$name-probe"
    grep -q "^$failing " "$map" || failed "$name-probe"
    read -r _ last end < <(grep "^$failing " "$map")

    new_script "$name"
    game_start "$t"
    line "wait 4500"
    shot "$name-show" "$class" "$title: the first question's items presented"
    line "wait 4500"
    shot "$name-ask" "$class" "$title: the items hidden, one of them asked for"
    line "wait 2000" "expect-screen $class"
    for k in $(seq "$last"); do
        line "click ${places[$(((k - 1) % 4))]}"
        if ((k == last)); then break; fi
        if ((k == 1)); then
            line "wait 500"
            shot "$name-answer" "$class" "$title: the first answer marked"
            line "wait $((wait_s * 1000 - 500))" "expect-screen $class"
        else
            line "wait $((wait_s * 1000))" "expect-screen $class"
        fi
    done
    # The score stands on its disc for the last seconds before the game leaves.
    local score_ms=$((end * 1000 - 1500)) done_ms=0
    if [[ "$class" == TForm_FoodEasy ]]; then
        line "wait 6000"
        shot "$name-finale" "$class" "$title: after the last question, the foods fall into the pot"
        done_ms=6000
    fi
    ((score_ms > done_ms)) || { echo "gallery: $name ended before its finale was shown" >&2; exit 1; }
    line "wait $((score_ms - done_ms))"
    shot "$name-score" "$class" "$title: the end, the score"
    line "wait 3000"
    shot "topic-${topic_name[$t]}-played" "${topic_menu[$t]}" "after the easy game: its score circle"
    run_or_fail "$name" "$name"
}
words_places=("649 309" "649 366" "649 421" "649 477")
game 0 TForm_WordsEasy 16 "${words_places[@]}"
game 3 TForm_WordsEasy 16 "${words_places[@]}"
game 1 TForm_FoodEasy 32 "177 239" "400 239" "623 239" "846 239"

# ---- the other games, the speaking exercise and the memory quiz ----

section="Other games, speaking, memory quiz"
topic_speak="578 287"
topic_hard="581 385"
activity_quit="982 729"
topic_easy_class=(TForm_WordsEasy TForm_FoodEasy TForm_ColoursEasy TForm_WordsEasy TForm_BodyEasy
                  TForm_NumbersEasy TForm_TimeEasy TForm_ShoppingEasy TForm_CountriesEasy)
topic_hard_class=(TForm_WordsHard TForm_FoodHard TForm_ColoursHard TForm_WordsHard TForm_FoodHard
                  TForm_NumbersHard TForm_TimeHard TForm_FoodHard TForm_CountriesHard)
# leave_activity: Quit before any answer, back to the topic menu of topic $1.
leave_activity() { line "click $activity_quit" "wait 6000" "expect-screen ${topic_menu[$1]}"; }
for t in "${!topic_name[@]}"; do
    n="${topic_name[$t]}" title="${topic_title[$t]}"
    new_script "more-$n"
    new_student_to_menu Sam
    open_topic "$t"
    line "click $topic_speak" "wait 4000"
    shot "speak-$n" TForm_Speak "$title: speaking, before a strip is chosen"
    if ((t == 0)); then
        line "click 494 190" "wait 3000"
        shot "speak-$n-strip" TForm_Speak "$title: speaking, a strip of four chosen, its first picture said"
    fi
    leave_activity "$t"
    # The first three topics' easy games have their own pictures above.
    if ((t != 0 && t != 1 && t != 3)); then
        line "click $topic_easy" "wait 6000"
        shot "easy-$n-show" "${topic_easy_class[$t]}" "$title: easy game, the first question"
        leave_activity "$t"
    fi
    line "click $topic_hard" "wait 6000"
    shot "hard-$n" "${topic_hard_class[$t]}" "$title: hard game, the first question"
    leave_activity "$t"
    run_or_fail "more-$n" "more-$n"
done
new_script quiz
new_student_to_menu Sam
line "click 859 585" "wait 3000"
shot quiz-menu TForm_QuizMenu "the memory quiz's menu"
# The first category's easy quiz: the first round deals two cards and asks for the first one (the
# headless clock seeds the deal the same way on every run).
line "click 106 360" "wait 10000"
shot quiz-play TForm_QuizEasy "easy quiz in play: the cards dealt, the dealer waits for the one he named"
line "click 403 494" "wait 400"
shot quiz-round-won TForm_QuizEasy "a round won: the named card found"
run_or_fail quiz quiz

# ---- records, award, language choice, printing ----

section="Records, award, language choice, printing"
new_script records
new_student_to_menu Zoé
line "click 212 233" "wait 1000"
shot award-running TForm_Award "award screen: the marker on its way round the dial"
line "wait 8000"
shot award TForm_Award "award screen: no medal yet, the students ranked"
line "click 985 737" "wait 1500" "expect-screen TForm_Menu" "click 522 693" "wait 1500"
shot language TForm_Language "language choice from the main menu"
line "click 488 437" "wait 1500"
shot language-french TForm_Language "French chosen: the greeting in French"
line "click 985 737" "wait 1500" "expect-screen TForm_Menu" "move 1000 60"
open_topic 0
line "click 505 493" "wait 300"
shot print-dialog TForm_WordsMenu "print dialog: no printer here, Save as PDF"
line "click 599 545" "wait 500" "expect-screen TForm_WordsMenu"
back_to_menu
line "click $menu_exit" "wait 1500" "expect-screen TForm_StartNew" "click 159 296" "wait 1500"
shot records-cover TForm_Records "records screen: the students, none chosen"
line "click 240 262" "wait 300"
shot records TForm_Records "a student chosen: last use, sessions, score, medals"
line "click 693 625" "wait 300"
shot records-delete TForm_Records "the delete question"
line "click 594 449" "wait 500" "expect-screen TForm_Records"
run_or_fail records records

# ---- the pictures and the index ----

if [[ -n "${GALLERY_SCRIPTS_ONLY:-}" ]]; then
    echo "gallery: scripts written to $GALLERY_SCRIPTS_ONLY"
    exit 0
fi

mkdir -p "$out"
while IFS=$'\t' read -r _ file _ _; do
    [[ -f "$work/shots/$file.png" ]] || { echo "gallery: no shot $file.png was taken" >&2; exit 1; }
    # No time stamps: the same screen gives the same file.
    convert "$work/shots/$file.png" -resize 512x384 -strip -define png:exclude-chunks=date,time \
        -define png:compression-level=9 "$work/small/$file.png"
    if [[ -n "${GALLERY_FULL_DIR:-}" ]]; then
        mkdir -p "$GALLERY_FULL_DIR"
        cp "$work/shots/$file.png" "$GALLERY_FULL_DIR/$file.png"
    fi
done <"$work/manifest"

{
    echo "# Gallery"
    echo
    echo "Every screen built so far and its main states, as the demo course shows them (half size)."
    echo "\`bash tools/gallery.sh\` takes them again and rewrites this folder; screens that are still"
    echo "placeholders are left out. Message boxes are not drawn in headless runs, so none is here."
    previous=""
    column=0
    while IFS=$'\t' read -r part file class state; do
        if [[ "$part" != "$previous" ]]; then
            ((column == 0)) || echo "|"
            printf '\n## %s\n\n| | | |\n|---|---|---|\n' "$part"
            previous="$part"
            column=0
        fi
        # shellcheck disable=SC2016  # the backticks are Markdown's
        printf '| ![%s: %s](%s.png)<br>`%s`: %s ' "$class" "$state" "$file" "$class" "$state"
        column=$(((column + 1) % 3))
        ((column != 0)) || echo "|"
    done <"$work/manifest"
    ((column == 0)) || echo "|"
} >"$work/small/README.md"

# Only what changed is rewritten; pictures no longer taken go.
for f in "$out"/*.png; do
    [[ -e "$f" ]] || continue
    [[ -e "$work/small/$(basename "$f")" ]] || rm -f "$f"
done
for f in "$work/small/"*; do
    cmp -s "$f" "$out/$(basename "$f")" || cp "$f" "$out/$(basename "$f")"
done

count="$(wc -l <"$work/manifest")"
echo "gallery: $count pictures, $(du -sh "$out" | cut -f1) in docs/gallery, $((SECONDS - started)) s"
if [[ -s "$work/messages" ]]; then
    echo "gallery: what the course wrote on its error output:"
    cat "$work/messages"
fi

# ---- the second course: German for Polish speakers, made from its sheet ----
# Its start screen, main menu and a practice screen, beside the demo's shots. A missing or
# unreadable file on the way stops the gallery: the course must be whole.
second_sheet="$root/tools/content/courses/de-pl/sheet.csv"
"$content" build "$second_sheet" "$build/course-de-pl" >"$work/second-build.log" 2>&1 ||
    { tail -n 20 "$work/second-build.log" >&2; echo "gallery: the second course did not build" >&2; exit 1; }
course="$build/course-de-pl/parlora"
new_script second-course
line "expect-screen TForm_CustomStart" "click 512 650" "wait 1000"
line "expect-screen TForm_StartNew" "move 1000 60" "shot second-course-start.png" "click 811 719" "wait 1000"
line "expect-screen TForm_TypeName" "key End"
for _ in $(seq 24); do line "key BackSpace"; done
line "type Ola" "key Return" "wait 1000"
line "expect-screen TForm_NewUser" "click 52 732" "wait 500" "click $help_dialog_exit" "wait 3000"
line "expect-screen TForm_Menu" "move 1000 60" "shot second-course-menu.png"
open_topic 0
line "click $topic_practice" "wait 1500" "expect-screen TForm_WordsPractice"
line "click ${topic_practice_item[0]}" "wait 1500" "move 1000 60" "shot second-course-practice.png"
run_or_fail second-course second-course
if grep -Ei "can't find|import of|preload failed|not recognised|couldn't read" "$work/second-course.err" >&2; then
    echo "gallery: the second course misses files" >&2
    exit 1
fi
{
    printf '\n## A second course from a sheet: German for Polish speakers\n\n| | | |\n|---|---|---|\n'
    for s in start:"start screen" menu:"main menu, topics in Polish" practice:"first words practice, the author's own picture"; do
        printf '| ![%s](second-course-%s.png)<br>%s ' "${s#*:}" "${s%%:*}" "${s#*:}"
    done
    echo "|"
} >>"$out/README.md"
for s in start menu practice; do
    convert "$work/shots/second-course-$s.png" -resize 512x384 -strip -define png:exclude-chunks=date,time \
        -define png:compression-level=9 "$work/small/second-course-$s.png"
    cmp -s "$work/small/second-course-$s.png" "$out/second-course-$s.png" ||
        cp "$work/small/second-course-$s.png" "$out/second-course-$s.png"
done
echo "gallery: the second course's start screen, menu and practice in docs/gallery"
