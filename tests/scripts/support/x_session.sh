# Sourced by the scripts (and benchmarks) that run the built program in a real X window, after setting
# $build. x_work <name> makes a work folder $work and a runtime folder of the script's own and clears
# the environment of SDL variables and the file chooser, as users start the program; at exit the
# viewer ($viewer_pid, stop_viewer), the X server and the work folder go, after the script's cleanup_also when it
# defines one. start_x [WxH] [Xvfb options] starts an Xvfb server of the script's own (1080x1920 by
# default) and sets $DISPLAY; stop_x ends it. x_session <name> does both after checking the tools and
# the built program. wait_for_window finds the program's window; bright_on_screen counts bright pixels
# on it; fail says why, with the end of $viewer_log (scripts may define their own after sourcing).
xvfb_pid=""
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
}

# start_x [WxH] [Xvfb options]: the server picks a free display itself and writes its number.
start_x() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${1:-1080x1920}x24" "${@:2}" 3>"$work/display" \
    2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$work/display")"
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
  start_x
}

# wait_for_window [seconds] [name pattern]: sets $window to the program's visible window (named
# Pagewell), within 10 seconds or those given.
wait_for_window() {
  window=""
  for _ in $(seq $((${1:-10} * 10))); do
    window=$(xdotool search --onlyvisible --name "${2:-Pagewell}" 2>/dev/null | head -n1)
    [ -n "$window" ] && return 0
    kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended before showing its window"
    sleep 0.1
  done
  fail "no visible window named Pagewell within ${1:-10} seconds"
}

# bright_on_screen <x> <y> <w> <h>: the window's pixels there whose darkest channel exceeds 200, as the
# screen shows them now.
bright_on_screen() {
  import -silent -window "$window" "png:$work/screen.png" 2>/dev/null &&
    "$probe" bright "$work/screen.png" "$@" | cut -d' ' -f1
}
