#!/usr/bin/env bash
# Installs the Debian packages into a clean Debian 12 root made with debootstrap, starts the
# course there (headless, as an ordinary user, from the installed demo course), then purges the
# packages and checks that nothing of ours is left outside the user's own folders.
# Needs root, debootstrap and the network (the Debian mirror); takes a few minutes, so it is not
# part of CTest. docs/packaging.md keeps its figures.
# usage: tools/package-check.sh [DEB_DIR]
#   DEB_DIR holds parlora_*.deb and parlora-demo_*.deb (default build-package/packages, which
#   tools/package.sh makes). The clean base root is kept as a tarball in $PARLORA_ROOT_CHECK_DIR
#   (default /tmp/parlora-root-check) and reused; remove it to bootstrap afresh.
set -euo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
debs="$(realpath "${1:-$root_dir/build-package/packages}")"
work="${PARLORA_ROOT_CHECK_DIR:-/tmp/parlora-root-check}"
mirror="${PARLORA_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
fail() { echo "package-check: FAIL: $*" >&2; exit 1; }
say() { echo "package-check: $*"; }
# shellcheck source-path=SCRIPTDIR source=lib/headless-start.sh
source "$root_dir/tools/lib/headless-start.sh"

[[ "$(id -u)" -eq 0 ]] || fail "needs root (debootstrap, chroot)"
command -v debootstrap >/dev/null || fail "debootstrap is not installed (tools/setup-deps.sh)"
shopt -s nullglob
main_deb=("$debs"/parlora_*.deb)
demo_deb=("$debs"/parlora-demo_*.deb)
[[ ${#main_deb[@]} -eq 1 && ${#demo_deb[@]} -eq 1 ]] || fail "no single parlora and parlora-demo package in $debs"
shopt -u nullglob
mkdir -p "$work"

# 1. A clean Debian 12 (minbase) root, bootstrapped once and kept as a tarball.
base="$work/bookworm-minbase.tar"
if [[ ! -f "$base" ]]; then
    start=$SECONDS
    rm -rf "$work/base"
    debootstrap --variant=minbase bookworm "$work/base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        { tail -20 "$work/debootstrap.log" >&2; fail "debootstrap (is $mirror reachable?)"; }
    tar -C "$work/base" -cf "$base" .
    rm -rf "$work/base"
    say "debootstrap took $((SECONDS - start)) s"
fi
chroot_dir="$work/root"
cleanup() {
    for m in dev/pts dev proc; do
        mountpoint -q "$chroot_dir/$m" && umount -l "$chroot_dir/$m" || true
    done
}
trap cleanup EXIT
cleanup
rm -rf "$chroot_dir"
mkdir -p "$chroot_dir"
tar -C "$chroot_dir" -xf "$base"
mount -t proc proc "$chroot_dir/proc"
mount --bind /dev "$chroot_dir/dev"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
cat >"$chroot_dir/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
in_root() { chroot "$chroot_dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
in_root apt-get -q update >"$work/apt-update.log" 2>&1 || { tail "$work/apt-update.log" >&2; fail "apt-get update"; }
in_root useradd --create-home learner

# What the root holds before: every later difference is the packages' doing.
listing() {
    in_root find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp \
        -o -path /home -o -path /root -o -path /var/cache -o -path /var/log -o -path /var/lib/apt \
        -o -path /var/lib/dpkg \) -prune -o -print | sort
}
listing >"$work/before.txt"

# 2. apt installs both packages and whatever they need.
mkdir -p "$chroot_dir/tmp/debs"
cp "${main_deb[0]}" "${demo_deb[0]}" "$chroot_dir/tmp/debs/"
start=$SECONDS
in_root apt-get install -y --no-install-recommends "/tmp/debs/$(basename "${main_deb[0]}")" \
    "/tmp/debs/$(basename "${demo_deb[0]}")" >"$work/apt-install.log" 2>&1 ||
    { tail -30 "$work/apt-install.log" >&2; fail "apt-get install of the packages"; }
install_s=$((SECONDS - start))
pulled="$(grep -c '^Setting up ' "$work/apt-install.log" || true)"
say "apt installed the packages and $((pulled - 2)) others in ${install_s} s"
grep -E '^(Need to get|After this operation)' "$work/apt-install.log" | sed 's/^/package-check:   /' || true

# 3. The course, as an ordinary user with nothing set but a desktop session's usual folders.
headless_menu_walk "$chroot_dir/tmp/menu.txt"
uid="$(in_root id -u learner)"
mkdir -p "$chroot_dir/run/user/$uid"
in_root chown learner:learner "/run/user/$uid"
chmod 700 "$chroot_dir/run/user/$uid"
as_learner() {
    chroot --userspec=learner:learner "$chroot_dir" env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME=/home/learner \
        XDG_RUNTIME_DIR="/run/user/$uid" "$@"
}
for program in parlora parlora-content parlora-get-help; do
    as_learner "$program" --version >/dev/null || fail "$program --version"
done
start=$SECONDS
headless_to_menu "$chroot_dir" /tmp/menu.txt "$work/run.txt" as_learner timeout 120 parlora
say "the course reached the main menu in $((SECONDS - start)) s"
[[ -d "$chroot_dir/home/learner/.local/share/Lingwell/ParloraPlus" ]] || fail "no records in the learner's folder"
mp3="$(cd "$chroot_dir" && find usr/share/parlora/data -iname '*.mp3' -print -quit)"
as_learner parlora-content info "/$mp3" >"$work/info.txt" 2>&1 && grep -q " ms" "$work/info.txt" ||
    { cat "$work/info.txt" >&2; fail "the media module cannot read /$mp3"; }
say "the media module reads MP3: $(cat "$work/info.txt")"
in_root du -sh /usr/share/parlora /usr/lib/parlora | sed 's/^/package-check:   /'

# 4. Purged, with what apt brought for them: nothing of ours stays outside the user's folders.
in_root dpkg-query -L parlora parlora-demo | sort -u >"$work/ours.txt"
start=$SECONDS
in_root apt-get purge -y --autoremove parlora parlora-demo >"$work/apt-purge.log" 2>&1 ||
    { tail -20 "$work/apt-purge.log" >&2; fail "apt-get purge"; }
say "purged in $((SECONDS - start)) s"
left=()
while IFS= read -r path; do
    # Folders such as /usr/share/man/man1 are shared with other packages and stay.
    [[ -e "$chroot_dir$path" && ! -d "$chroot_dir$path" ]] && left+=("$path")
done <"$work/ours.txt"
while IFS= read -r path; do
    left+=("$path")
done < <(in_root find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /home -o -path /tmp \
             -o -path /run/user \) -prune -o \( -iname '*parlora*' -o -iname '*ParloraPlus*' \) -print)
if [[ ${#left[@]} -gt 0 ]]; then
    printf '  %s\n' "${left[@]}" >&2
    fail "files of ours are left after the purge"
fi
listing >"$work/after.txt"
others="$(comm -13 "$work/before.txt" "$work/after.txt" | wc -l)"
say "no file of ours is left; other packages' left-overs: $others paths (in $work/after.txt, not in before.txt)"
# The root is kept for a look when something failed; after a clean run it goes.
cleanup
rm -rf "$chroot_dir"
say "ok"
