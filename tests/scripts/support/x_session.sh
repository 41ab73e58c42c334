# Sourced by the scripts (and benchmarks) that run the built program in a real X window, after setting
# $build. x_work <name> makes a work folder $work and a runtime folder of the script's own and clears
# the environment of SDL variables and the file chooser, as users start the program; at exit the
# viewer ($viewer_pid, stop_viewer), the X server and the work folder go, after the script's
# cleanup_also when it defines one. A session bus of the script's own stands in for the desktop's when
# none is named (see start_session_bus). start_x [WxH] [Xvfb options] starts an Xvfb server of the script's
# own (1080x1920 by default) and sets $DISPLAY; stop_x ends it. x_session <name> [WxH] does both after
# checking the tools and the built program. until_true waits for a condition, wait_for_window for the
# program's window; bright_on_screen counts bright pixels on it; fail says why, with the end of
# $viewer_log (scripts may define their own fail after sourcing).
xvfb_pid=""
bus_pid=""
viewer_pid=""
viewer_log=/dev/null

# stop_viewer: ends the viewer as closing its window would, or kills it after three seconds.
stop_viewer() {
  [ -n "$viewer_pid" ] || return 0
  kill "$viewer_pid" 2>/dev/null
  for _ in $(seq 30); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$viewer_pid" 2>/dev/null
  wait "$viewer_pid" 2>/dev/null
  viewer_pid=""
}

x_session_cleanup() {
  stop_viewer
  declare -F cleanup_also >/dev/null && cleanup_also
  stop_x
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null && wait "$bus_pid" 2>/dev/null
  rm -rf "$work"
}

fail() {
  echo "FAIL: $*" >&2
  [ -f "$viewer_log" ] && sed 's/^/  viewer: /' "$viewer_log" | tail -n 20 >&2
  exit 1
}

x_work() {
  if ! command -v Xvfb >/dev/null; then echo "SKIP: Xvfb is not installed"; exit 0; fi
  work=$(mktemp -d "${TMPDIR:-/tmp}/pagewell-$1-XXXXXX")
  trap x_session_cleanup EXIT
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"  # the viewer's socket, apart from any viewer of the desktop
  unset PAGEWELL_FILE_DIALOG SDL_VIDEODRIVER SDL_AUDIODRIVER SDL_RENDER_DRIVER SDL_FRAMEBUFFER_ACCELERATION
  start_session_bus
}

# Every desktop session has a session bus, and SDL's video start talks to it (input methods, the screen
# saver). Where none is named, as on a build machine, libdbus forks the viewer in the middle of its
# start to launch one; with the start's other threads running, the sanitizers' allocator can deadlock
# in that child, and the window never comes.
start_session_bus() {
  [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && return 0
  command -v dbus-daemon >/dev/null || return 0
  dbus-daemon --session --nofork --print-address=3 3>"$work/bus.address" 2>/dev/null &
  bus_pid=$!
  until_true 30 "the session bus's address" bus_named
  export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus.address")
}
bus_named() { [ -s "$work/bus.address" ]; }

# until_true <seconds> <what> <command...>: runs the command again and again until it succeeds; fails,
# saying what was not seen, once the viewer ($viewer_pid, when set) has ended or the seconds have
# passed. The seconds only guard against a hang: a slow machine passes, later.
until_true() {
  local seconds=$1 what=$2 deadline
  shift 2
  deadline=$((SECONDS + seconds))
  until "$@"; do
    [ -n "$viewer_pid" ] && ! kill -0 "$viewer_pid" 2>/dev/null && fail "the program ended while waiting for $what"
    [ "$SECONDS" -ge "$deadline" ] && fail "$what not seen within $seconds seconds"
    sleep 0.1
  done
}

# expect_viewer_ends <seconds> <after what>: the viewer ends by itself with status 0; the seconds only
# guard against a hang.
expect_viewer_ends() {
  local status
  until_true "$1" "the program's end after $2" viewer_gone
  wait "$viewer_pid"
  status=$?
  viewer_pid=""
  [ "$status" = 0 ] || fail "the program ended with status $status after $2"
}
viewer_gone() { ! kill -0 "$viewer_pid" 2>/dev/null; }

# start_x [WxH] [Xvfb options]: the server picks a free display itself and writes its number.
start_x() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${1:-1080x1920}x24" "${@:2}" 3>"$work/display" \
    2>"$work/xvfb.log" &
  xvfb_pid=$!
  until_true 30 "Xvfb's display number" display_named
  export DISPLAY=":$(head -n1 "$work/display")"
}
display_named() {
  kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  [ -s "$work/display" ]
}

stop_x() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}

x_session() {
  x_work "$1"
  for tool in xdotool xwininfo import; do command -v "$tool" >/dev/null || fail "$tool is not installed"; done
  probe="$build/tests/frame_probe"
  [ -x "$build/pagewell" ] || fail "no program at $build/pagewell"
  [ -x "$probe" ] || fail "no pixel probe at $probe (build the frame_probe target)"
  start_x "${@:2}"
}

# wait_for_window [seconds] [name pattern]: sets $window to the program's visible window (named
# Pagewell), within 30 seconds or those given.
wait_for_window() {
  until_true "${1:-30}" "a visible window named ${2:-Pagewell}" window_named "${2:-Pagewell}"
}
window_named() {
  window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
  [ -n "$window" ]
}

# bright_on_screen <x> <y> <w> <h>: the window's pixels there whose darkest channel exceeds 200, as the
# screen shows them now.
bright_on_screen() {
  import -silent -window "$window" "png:$work/screen.png" 2>/dev/null &&
    "$probe" bright "$work/screen.png" "$@" | cut -d' ' -f1
}
