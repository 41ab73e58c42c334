#!/usr/bin/env bash
# The viewer under a real window manager: openbox on Xvfb (1080x1920), started here. Open brings up the
# desktop's own chooser (zenity), the viewer's transient child stacked above the always-on-top viewer;
# the viewer keeps drawing while it is up and takes no presses, as a modal dialog's owner; a path typed
# into the chooser and Return opens the document; Detach gets a title bar from the window manager and a
# press on the page takes it away again. Two passes: mouse clicks, then touch-style input (the pointer
# jumps to each press in the same command). Screenshots stay in
# <build dir>/test-output/window_manager_e2e/<pass>/.
# Usage: window_manager_e2e.sh <build dir> <corpus dir>
set -uo pipefail

build=$(cd "${1:?usage: window_manager_e2e.sh <build dir> <corpus dir>}" && pwd)
corpus=${2:?usage: window_manager_e2e.sh <build dir> <corpus dir>}
program="$build/pagewell"
probe="$build/tests/frame_probe"
source_document="$corpus/short-ltnews36.pdf"
output="$build/test-output/window_manager_e2e"
source "$(dirname "$0")/support/x_session.sh"
x_work wm
viewer_log="$work/viewer.log"
wm_pid=""
pass="setup"
step="setup"

# Runs after the viewer has ended its own way (it also ends a chooser still up).
cleanup_also() {
  # Tool programs and choosers the viewer started: their command lines name our work folder.
  local pid
  for pid in $(pgrep -f -- "$work/" 2>/dev/null); do [ "$pid" != "$$" ] && kill -9 "$pid" 2>/dev/null; done
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  rm -rf "$build"/cache/*_wm-e2e-*.pdf
}

fail() {
  echo "FAIL [$pass] $step: $*" >&2
  [ -f "$viewer_log" ] && grep -v -e dconf -e '^$' "$viewer_log" | tail -n 30 | sed 's/^/  viewer: /' >&2
  [ -n "${DISPLAY:-}" ] && import -window root "png:$output/$pass-FAILED.png" 2>/dev/null &&
    echo "  screen: $output/$pass-FAILED.png" >&2
  exit 1
}

for tool in xdotool xprop import openbox zenity; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup installs it)"
done
[ -x "$program" ] || fail "no program at $program"
[ -x "$probe" ] || fail "no pixel probe at $probe (build the frame_probe target)"
[ -s "$source_document" ] || fail "no document at $source_document"
cd "$build" || fail "cannot enter $build"  # the cache is beside the program, or in this folder
rm -rf "$output"
mkdir -p "$output"

# ---------------------------------------------------------------------------------------------------
# The desktop: Xvfb, openbox with its shipped configuration, and the viewer with the real zenity.

# A fresh desktop session's settings: nothing of the caller's openbox or GTK configuration, no dconf.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1

start_desktop() {
  start_x
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  until_true 60 "openbox taking the screen" window_manager_running
}
window_manager_running() {
  kill -0 "$wm_pid" 2>/dev/null || fail "openbox ended: $(cat "$work/openbox.log")"
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

start_viewer() {
  step="start"
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 \
    "$program" >"$viewer_log" 2>&1 &
  viewer_pid=$!
  wait_for_window 60 '^Pagewell '
  viewer=$(printf '0x%x' "$window")
  until_true 30 "openbox managing the viewer's window" managed "$viewer"
  xprop -id "$viewer" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the viewer is not always on top"
  has_no_frame || fail "the viewer has a frame before Detach ($(frame_extents))"
}

# ---------------------------------------------------------------------------------------------------
# What the window manager says

# Managed windows, bottom to top, as hexadecimal ids.
stacking() {
  xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | sed -n 's/.*# //p' | tr -d ',' | tr ' ' '\n' |
    while read -r id; do [ -n "$id" ] && printf '0x%x\n' "$id"; done
}
managed() { stacking | grep -qx "$1"; }
position_in_stack() { stacking | grep -nx "$1" | cut -d: -f1; }
frame_extents() { xprop -id "$viewer" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p'; }
has_title_bar() { [ "$(frame_extents | cut -d, -f3)" -gt 0 ] 2>/dev/null; }  # left, right, top, bottom
has_no_frame() { [ "$(frame_extents)" = "0, 0, 0, 0" ]; }
active_window() { printf '0x%x' "$(xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p')"; }
transient_for() { printf '0x%x' "$(xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p')"; }

# ---------------------------------------------------------------------------------------------------
# Screenshots of the viewer's window, read through the probe

capture() { import -silent -window "$viewer" "png:$1" 2>/dev/null; }
keep() { cp "$1" "$output/$pass/$(printf %02d "$shots")-$step.png"; shots=$((shots + 1)); }
# The whole screen, the chooser over the viewer; the viewer's own capture leaves the chooser's place out.
keep_screen() { import -silent -window root "png:$work/screen.png" 2>/dev/null && keep "$work/screen.png"; }

toolbar_shown() {  # the light band right of the buttons
  capture "$work/shot.png" || return 1
  [ "$("$probe" count "$work/shot.png" 450 2 500 50 200 200 200)" -ge 20000 ]
}

page_shown() {  # paper-white in the middle half, clear of the tool bar and the chooser's old place
  capture "$work/shot.png" || return 1
  local bright
  read -r bright _ < <("$probe" bright "$work/shot.png" 60 480 960 960)
  [ "${bright:-0}" -ge 276480 ]  # 30 percent
}

# ---------------------------------------------------------------------------------------------------
# Input: a mouse moves, rests, then clicks; a finger lands where it presses, in one command.

mouse_press() {
  xdotool mousemove "$1" "$2"
  [ "$2" -lt 96 ] && until_true 30 "the tool bar under the pointer" toolbar_shown
  sleep 0.2
  xdotool click 1
}

touch_press() {
  xdotool mousemove "$1" "$2" mousedown 1
  sleep 0.12
  xdotool mouseup 1
}

# ---------------------------------------------------------------------------------------------------
# One pass: Open, the chooser above the viewer, frames while it is up, presses dropped, the path typed,
# the document open, Detach and re-attach.

open_x=39 exit_x=409 detach_x=1047 button_y=27

# frames_go_on <x> <what>: the pointer's pulse about (x, button_y), as the viewer's screenshots show
# it, changes three times, however slowly the machine draws (the viewer ending on the way fails).
pulse_changed() {
  import -silent -window "$viewer" -crop "48x48+$(($1 - 24))+$((button_y - 24))" +repage \
    "png:$work/pulse.png" 2>/dev/null ||
    fail "no screenshot of the viewer"
  local sum
  sum=$(md5sum <"$work/pulse.png" | cut -d' ' -f1)
  [ "$sum" != "$last_pulse" ] && last_pulse=$sum && changes=$((changes + 1))
  [ "$changes" -ge 4 ]  # the first picture and three changes
}
frames_go_on() {
  last_pulse="" changes=0
  until_true 60 "$2" pulse_changed "$1"
}

chooser_window() { xdotool search --onlyvisible --name '^Select PDF file$' 2>/dev/null | head -n1; }
chooser_up() { [ -n "$(chooser_window)" ]; }
chooser_gone() { ! chooser_up; }
chooser_above() {
  local chooser_at viewer_at
  chooser_at=$(position_in_stack "$chooser")
  viewer_at=$(position_in_stack "$viewer")
  [ -n "$chooser_at" ] && [ -n "$viewer_at" ] && [ "$chooser_at" -gt "$viewer_at" ]
}
chooser_focused() { [ "$(active_window)" = "$chooser" ]; }

open_with_chooser() {  # open_with_chooser <press function> <document>
  step="open"
  "$1" "$open_x" "$button_y"
  until_true 60 "the chooser" chooser_up
  chooser=$(printf '0x%x' "$(chooser_window)")

  step="chooser-above"
  until_true 30 "the chooser above the viewer ($(stacking | tr '\n' ' '))" chooser_above
  [ "$(transient_for "$chooser")" = "$viewer" ] ||
    fail "the chooser is not the viewer's transient child (WM_TRANSIENT_FOR $(transient_for "$chooser"))"
  xprop -id "$chooser" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || fail "the chooser is not modal"
  keep_screen

  # The pointer sprite's pulse beside the Open button, outside the chooser, changes frame by frame.
  step="drawing"
  frames_go_on "$open_x" "new frames while the chooser is up"

  # A press on Exit, which the viewer shows under the pointer, is the chooser owner's: nothing happens
  # in the frames after it.
  step="presses-dropped"
  "$1" "$exit_x" "$button_y"
  frames_go_on "$exit_x" "frames after a press on Exit while the chooser is up"
  if ! chooser_up || ! chooser_above; then
    fail "the chooser went, or fell below the viewer, after a press on the viewer"
  fi
  until_true 30 "the keyboard focus on the chooser" chooser_focused

  step="typed-path"
  xdotool type --delay 30 "$2"  # the pause below only lets the kept screenshot show the path
  sleep 0.3
  keep_screen
  xdotool key Return
  until_true 30 "the chooser closing" chooser_gone
  step="document-open"
  until_true 60 "page 1 of the chosen document" page_shown
  keep "$work/shot.png"
  ls -d "$build"/cache/*_"$(basename "$2")" >/dev/null 2>&1 || fail "no cache folder for $(basename "$2")"
}

detach_and_reattach() {  # detach_and_reattach <press function>
  step="detached"
  "$1" "$detach_x" "$button_y"
  until_true 30 "a title bar from the window manager" has_title_bar
  keep_screen
  step="reattached"
  "$1" 540 960
  until_true 30 "the title bar taken away" has_no_frame
  until_true 60 "the page after re-attaching" page_shown
  keep "$work/shot.png"
}

run_pass() {  # run_pass <name> <press function>
  pass=$1
  shots=0
  local started=$SECONDS document="$work/wm-e2e-$1.pdf"
  mkdir -p "$output/$pass"
  cp "$source_document" "$document"
  rm -rf "$build"/cache/*_"wm-e2e-$1.pdf"
  open_with_chooser "$2" "$document"
  detach_and_reattach "$2"
  echo "PASS [$pass]: chooser above the viewer, frames while it was up, document opened, detached and re-attached in $((SECONDS - started)) s"
}

start_desktop
start_viewer
run_pass mouse mouse_press
run_pass touch touch_press

pass="exit"
step="exit"
touch_press "$exit_x" "$button_y"
expect_viewer_ends 30 Exit
echo "PASS: under openbox, with mouse and touch input"
