# What the checks of the real window under a virtual X server share: course folders on the demo,
# private user folders, and the X server itself.
# Sourced, not run; the caller sets demo (the demo course's folder) before make_course.

make_course() { # a course folder whose data entries link to the demo's
  local home="$1"
  mkdir -p "$home/data"
  for e in "$demo"/data/*; do ln -s "$e" "$home/data/"; done
  ln -s "$demo/Update" "$home/Update"
  printf '[Defaults]\r\nFast=1\r\nNewUser=0\r\n' > "$home/config.txt"
}
private_env() { # private records and runtime folders
  local root="$1"; mkdir -p "$root/run"; chmod 700 "$root/run"
  echo "HOME=$root XDG_DATA_HOME=$root/data XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/run"
}

# xvfb_start SCREEN DISPLAY_FILE LOG: an X server with one screen of SCREEN (WxHxDEPTH) on a display
# it finds free itself, which it writes to DISPLAY_FILE once it takes clients; DISPLAY names it from
# then on and $xvfb holds its process. The caller's EXIT trap calls xvfb_stop.
xvfb=""
xvfb_start() {
  local screen="$1" display_file="$2" log="$3"
  exec 3<> "$display_file"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp >"$log" 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$display_file")"
  exec 3>&-
}
xvfb_stop() { # never fails: it runs from EXIT traps under set -e
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null || true; fi
  xvfb=""
}
