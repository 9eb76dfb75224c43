# What the checks of an installed course share: the walk that takes a new learner from the start
# screen to the main menu, and the headless run that must get there.
# Sourced, not run; the caller defines fail MESSAGE, which does not return.

# headless_menu_walk FILE: writes the walk to FILE.
headless_menu_walk() {
    cat >"$1" <<'SCRIPT'
expect-screen TForm_CustomStart
click 512 650
wait 1000
expect-screen TForm_StartNew
click 811 719
wait 1000
expect-screen TForm_TypeName
key End
SCRIPT
    for _ in $(seq 30); do echo "key BackSpace"; done >>"$1"
    cat >>"$1" <<'SCRIPT'
type Sam
key Return
wait 1000
expect-screen TForm_NewUser
click 52 732
wait 500
click 519 549
wait 3000
expect-screen TForm_Menu
SCRIPT
}

# headless_to_menu DIR WALK LOG COMMAND...: runs COMMAND --headless --script=WALK from DIR (WALK as
# COMMAND sees it: a chroot sees its own root), its output in LOG; fails, showing LOG, unless the
# course got to the main menu.
headless_to_menu() {
    local dir="$1" walk="$2" log="$3"
    shift 3
    (cd "$dir" && "$@" --headless --script="$walk") >"$log" 2>&1 ||
        { cat "$log" >&2; fail "the installed course did not reach the main menu"; }
}
