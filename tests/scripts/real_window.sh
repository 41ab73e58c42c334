#!/usr/bin/env bash
# The built program in a real X window (Xvfb, 1080x1920), started three ways: with the software renderer
# forced, as the other tests start it; as users start it, with no SDL variable set (OpenGL is llvmpipe
# there, a software rasteriser, so the program must choose the software renderer); and with OpenGL
# forced (SDL_RENDER_DRIVER=opengl). Each time: its window, its size, the welcome panel on the screen,
# Escape ending it within a second; the last two also every frame drawn as its changes only. The first
# start also checks a second start handing over to it instead of opening a second window.
# Usage: real_window.sh <build dir> [corpus dir]
set -uo pipefail
build=$(cd "${1:?usage: real_window.sh <build dir> [corpus dir]}" && pwd)
source "$(dirname "$0")/support/x_session.sh"
x_session window

# start_viewer <pass> [NAME=value ...]: the program with only the given SDL variables, its window shown.
start_viewer() {
  pass=$1
  viewer_log="$work/viewer-$pass.log"
  env "${@:2}" PAGEWELL_FRAME_COUNTS="$work/counts" "$build/pagewell" >"$viewer_log" 2>&1 &
  viewer_pid=$!
  wait_for_window
  local size
  size=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
  [ "$size" = 1080x1920 ] || fail "[$pass] the window is $size, not 1080x1920"
  # The welcome panel stands at (210, 540), 660 x 200, white text on black, with nothing bright above.
  local inside="" above=""
  for _ in $(seq 50); do
    inside=$(bright_on_screen 210 540 660 200) && above=$(bright_on_screen 210 400 660 130) &&
      [ "$inside" -gt 200 ] && [ "$above" = 0 ] && return 0
    sleep 0.2
  done
  fail "[$pass] no welcome panel on the screen ($inside bright pixels in it, $above above it)"
}

# The pointer's pulse changes every frame: each frame presented in a second was drawn as its changes.
expect_frames_drawn_in_parts() {
  sleep 1
  local before after
  before=($(cat "$work/counts"))
  sleep 1
  after=($(cat "$work/counts"))
  local partial=$((after[5] - before[5])) whole=$((after[3] - before[3] - after[5] + before[5]))
  [ "$partial" -gt 0 ] && [ "$whole" = 0 ] || fail "[$pass] in a second $partial frames drawn in parts, $whole whole"
}

# end_viewer [tenths of a second]: Escape ends the program within a second, or the time given.
end_viewer() {
  xdotool mousemove --sync 540 1500 2>/dev/null
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --clearmodifiers Escape
  for _ in $(seq "${1:-10}"); do kill -0 "$viewer_pid" 2>/dev/null && sleep 0.1; done
  kill -0 "$viewer_pid" 2>/dev/null && fail "[$pass] the program was still running $((${1:-10} / 10)) s after Escape"
  wait "$viewer_pid"
  local status=$?
  viewer_pid=""
  [ "$status" = 0 ] || fail "[$pass] the program exited with status $status"
}

start_viewer software-forced SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software \
  SDL_FRAMEBUFFER_ACCELERATION=0
timeout 60 "$build/pagewell" >"$work/second.log" 2>&1 || fail "a second start ended with $?: $(cat "$work/second.log")"
windows=$(xdotool search --onlyvisible --name Pagewell 2>/dev/null | wc -l)
[ "$windows" = 1 ] || fail "$windows Pagewell windows after a second start, not 1"
kill -0 "$viewer_pid" 2>/dev/null || fail "the first viewer ended after the second start"
end_viewer
start_viewer as-users-start-it
expect_frames_drawn_in_parts
end_viewer
# Mesa's driver, unloaded at exit, leaves allocations the leak checker would take for the program's.
start_viewer opengl-forced SDL_RENDER_DRIVER=opengl ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
expect_frames_drawn_in_parts
end_viewer 100  # llvmpipe draws a frame in tens of milliseconds, more under the sanitizers
echo "PASS: the window and its welcome panel with the software renderer forced, as users start it and with" \
  "OpenGL forced, the last two drawn in parts; a second start handed over; Escape ended the program"
