# Sourced by the scripts that run the built program in a real X window, after setting $build. x_session
# <name> [WxH] makes a work folder and an Xvfb server of the script's own (1080x1920 unless given), both
# gone at exit, with no SDL variable and no file chooser in the environment, as users start the program;
# wait_for_window finds the program's window; bright_on_screen counts bright pixels on it; fail says
# why, with the log.
xvfb_pid=""
viewer_pid=""
viewer_log=/dev/null

x_session_cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null && wait "$viewer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}

fail() {
  echo "FAIL: $*" >&2
  [ -f "$viewer_log" ] && sed 's/^/  viewer: /' "$viewer_log" | tail -n 20 >&2
  exit 1
}

x_session() {
  if ! command -v Xvfb >/dev/null; then echo "SKIP: Xvfb is not installed"; exit 0; fi
  for tool in xdotool xwininfo import; do command -v "$tool" >/dev/null || fail "$tool is not installed"; done
  probe="$build/tests/frame_probe"
  [ -x "$build/pagewell" ] || fail "no program at $build/pagewell"
  [ -x "$probe" ] || fail "no pixel probe at $probe (build the frame_probe target)"
  work=$(mktemp -d "${TMPDIR:-/tmp}/pagewell-$1-XXXXXX")
  trap x_session_cleanup EXIT
  Xvfb -displayfd 3 -noreset -screen 0 "${2:-1080x1920}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$work/display")" XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"  # the viewer's socket, apart from any viewer of the desktop
  unset PAGEWELL_FILE_DIALOG SDL_VIDEODRIVER SDL_AUDIODRIVER SDL_RENDER_DRIVER SDL_FRAMEBUFFER_ACCELERATION
}

# Sets $window to the program's visible window, within 10 seconds.
wait_for_window() {
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name Pagewell 2>/dev/null | head -n1)
    [ -n "$window" ] && return 0
    kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended before showing its window"
    sleep 0.1
  done
  fail "no visible window named Pagewell within 10 seconds"
}

# bright_on_screen <x> <y> <w> <h>: the window's pixels there whose darkest channel exceeds 200, as the
# screen shows them now.
bright_on_screen() {
  import -silent -window "$window" "png:$work/screen.png" 2>/dev/null &&
    "$probe" bright "$work/screen.png" "$@" | cut -d' ' -f1
}
