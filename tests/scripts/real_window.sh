#!/usr/bin/env bash
# The built program in a real X window (Xvfb, 1080x1920), started three ways: with the software renderer
# forced, as the other tests start it; as users start it, with no SDL variable set (under Xvfb OpenGL
# is llvmpipe, a software rasteriser, so the program must choose the software renderer and present its
# frames in parts); and with the accelerated renderer forced (SDL_RENDER_DRIVER=opengl). Each time: its
# window, its size, the welcome panel on the screen, and Escape ending it within a second. The first
# start also checks a second start handing over to it instead of opening a second window.
# Usage: real_window.sh <build dir> [corpus dir]
set -uo pipefail

build=$(cd "${1:?usage: real_window.sh <build dir> [corpus dir]}" && pwd)
program="$build/pagewell"
probe="$build/tests/frame_probe"
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewell-window-XXXXXX")
xvfb_pid=""
viewer_pid=""
pass="setup"

cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL [$pass]: $*" >&2
  [ -f "$work/viewer-$pass.log" ] && sed 's/^/  viewer: /' "$work/viewer-$pass.log" >&2
  exit 1
}

if ! command -v Xvfb >/dev/null; then echo "SKIP: Xvfb is not installed"; exit 0; fi
for tool in xdotool xwininfo import; do command -v "$tool" >/dev/null || fail "$tool is not installed"; done
[ -x "$program" ] || fail "no program at $program"
[ -x "$probe" ] || fail "no pixel probe at $probe (build the frame_probe target)"

# Xvfb picks a free display itself and writes its number to the descriptor.
Xvfb -displayfd 3 -noreset -screen 0 1080x1920x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

unset PAGEWELL_FILE_DIALOG SDL_VIDEODRIVER SDL_AUDIODRIVER SDL_RENDER_DRIVER SDL_FRAMEBUFFER_ACCELERATION
# The viewer's socket lives here, apart from any viewer of the desktop running the tests.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# start_viewer <pass> [NAME=value ...]: the program with only the given SDL variables, its window shown.
start_viewer() {
  pass=$1
  shift
  env "$@" PAGEWELL_FRAME_COUNTS="$work/counts-$pass" "$program" >"$work/viewer-$pass.log" 2>&1 &
  viewer_pid=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name Pagewell 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended before showing its window"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no visible window named Pagewell within 10 seconds"
  local info width height
  info=$(xwininfo -id "$window")
  width=$(awk '/Width:/ {print $2}' <<<"$info")
  height=$(awk '/Height:/ {print $2}' <<<"$info")
  [ "$width" = 1080 ] && [ "$height" = 1920 ] || fail "window is ${width}x${height}, not 1080x1920"
}

# The welcome panel stands at (210, 540), 660 x 200, white text on black, with nothing bright above it:
# looked for on the screen itself, for up to ten seconds.
expect_welcome_on_screen() {
  local shot="$work/screen-$pass.png" inside="" above=""
  for _ in $(seq 50); do
    if import -silent -window "$window" "png:$shot" 2>/dev/null; then
      inside=$("$probe" bright "$shot" 210 540 660 200 | cut -d' ' -f1)
      above=$("$probe" bright "$shot" 210 400 660 130 | cut -d' ' -f1)
      [ "${inside:-0}" -gt 200 ] && [ "${above:-1}" = 0 ] && return 0
    fi
    sleep 0.2
  done
  fail "the welcome panel is not on the screen ($inside bright pixels in it, $above above it)"
}

# The frame counts the program writes: "frames N presented N partial N".
counts() { cat "$work/counts-$pass" 2>/dev/null; }
count_of() { awk -v word="$1" '{ for (i = 1; i < NF; i++) if ($i == word) print $(i + 1) }' <<<"$2"; }

# With the pointer's pulse changing every frame, every frame presented after the first ones was drawn
# as its changed rectangles only.
expect_frames_drawn_in_parts() {
  sleep 1
  local before after
  before=$(counts)
  sleep 1
  after=$(counts)
  local partial=$(($(count_of partial "$after") - $(count_of partial "$before")))
  local whole=$(($(count_of presented "$after") - $(count_of presented "$before") - partial))
  [ "$partial" -gt 0 ] && [ "$whole" = 0 ] ||
    fail "in a second $partial frames were drawn in parts and $whole whole ($before / $after)"
}

end_viewer() {
  xdotool mousemove --sync 540 1500 2>/dev/null
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --clearmodifiers Escape
  for _ in $(seq 10); do
    kill -0 "$viewer_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$viewer_pid" 2>/dev/null; then fail "the program was still running one second after Escape"; fi
  wait "$viewer_pid"
  local status=$?
  viewer_pid=""
  [ "$status" = 0 ] || fail "the program exited with status $status"
}

start_viewer software-forced SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software \
  SDL_FRAMEBUFFER_ACCELERATION=0
expect_welcome_on_screen
timeout 60 "$program" >"$work/second.log" 2>&1
status=$?
[ "$status" = 0 ] || fail "a second start on the same display ended with status $status: $(cat "$work/second.log")"
windows=$(xdotool search --onlyvisible --name Pagewell 2>/dev/null | wc -l)
[ "$windows" = 1 ] || fail "$windows Pagewell windows after a second start, not 1"
kill -0 "$viewer_pid" 2>/dev/null || fail "the first viewer ended after the second start"
end_viewer

start_viewer as-users-start-it
expect_welcome_on_screen
expect_frames_drawn_in_parts
end_viewer

start_viewer accelerated-forced SDL_RENDER_DRIVER=opengl
expect_welcome_on_screen
expect_frames_drawn_in_parts
end_viewer

echo "PASS: window 1080x1920 and the welcome panel on screen with the software renderer forced, as users" \
  "start it (drawn in parts) and with OpenGL forced (drawn in parts); a second start handed over;" \
  "Escape ended the program"
