#!/usr/bin/env bash
# The built program in a real X window (Xvfb, 1080x1920): its window, its size, the welcome panel in
# the presented frame, a second start handing over to it instead of opening a second window, and
# Escape ending it within a second.
# Usage: real_window.sh <build dir> [corpus dir]
set -uo pipefail

build=${1:?usage: real_window.sh <build dir> [corpus dir]}
program="$build/pagewell"
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewell-window-XXXXXX")
xvfb_pid=""
viewer_pid=""

cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; [ -f "$work/viewer.log" ] && sed 's/^/  viewer: /' "$work/viewer.log" >&2; exit 1; }

if ! command -v Xvfb >/dev/null; then echo "SKIP: Xvfb is not installed"; exit 0; fi
command -v xdotool >/dev/null || fail "xdotool is not installed"
command -v xwininfo >/dev/null || fail "xwininfo is not installed"
[ -x "$program" ] || fail "no program at $program"

# Xvfb picks a free display itself and writes its number to the descriptor.
Xvfb -displayfd 3 -noreset -screen 0 1080x1920x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

unset PAGEWELL_FILE_DIALOG
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
# The viewer's socket lives here, apart from any viewer of the desktop running the tests.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
PAGEWELL_SAVE_FRAME="$work/frame.png" "$program" >"$work/viewer.log" 2>&1 &
viewer_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name Pagewell 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended before showing its window"
  sleep 0.1
done
[ -n "$window" ] || fail "no visible window named Pagewell within 10 seconds"

info=$(xwininfo -id "$window")
width=$(awk '/Width:/ {print $2}' <<<"$info")
height=$(awk '/Height:/ {print $2}' <<<"$info")
[ "$width" = 1080 ] && [ "$height" = 1920 ] || fail "window is ${width}x${height}, not 1080x1920"

for _ in $(seq 100); do [ -s "$work/frame.png" ] && break; sleep 0.1; done
[ -s "$work/frame.png" ] || fail "no frame was saved"
convert "$work/frame.png" ppm:- >"$work/frame.ppm" 2>/dev/null || fail "cannot read the saved frame"

# The welcome panel stands at (210, 540), 660 x 200, white text on black: count its bright pixels.
python3 - "$work/frame.ppm" <<'PY' || fail "the welcome panel is not on screen"
import sys
data = open(sys.argv[1], "rb").read()
fields, pos = [], 0
while len(fields) < 4:  # P6 width height maxval, with comments allowed
    while data[pos:pos + 1].isspace(): pos += 1
    if data[pos:pos + 1] == b"#":
        pos = data.index(b"\n", pos); continue
    end = pos
    while not data[end:end + 1].isspace(): end += 1
    fields.append(data[pos:end]); pos = end
pixels = data[pos + 1:]
width = int(fields[1])
def rgb(x, y):
    i = (y * width + x) * 3
    return tuple(pixels[i:i + 3])
bright = sum(1 for y in range(540, 740) for x in range(210, 870) if min(rgb(x, y)) > 200)
outside = sum(1 for y in range(400, 530) for x in range(210, 870) if min(rgb(x, y)) > 200)
print(f"welcome panel: {bright} bright pixels; above it: {outside}")
sys.exit(0 if bright > 200 and outside == 0 else 1)
PY

timeout 60 "$program" >"$work/second.log" 2>&1
status=$?
[ "$status" = 0 ] || fail "a second start on the same display ended with status $status: $(cat "$work/second.log")"
windows=$(xdotool search --onlyvisible --name Pagewell 2>/dev/null | wc -l)
[ "$windows" = 1 ] || fail "$windows Pagewell windows after a second start, not 1"
kill -0 "$viewer_pid" 2>/dev/null || fail "the first viewer ended after the second start"

xdotool mousemove --sync 540 1500 2>/dev/null
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --clearmodifiers Escape
for _ in $(seq 10); do
  kill -0 "$viewer_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$viewer_pid" 2>/dev/null; then fail "the program was still running one second after Escape"; fi
wait "$viewer_pid"
status=$?
viewer_pid=""
[ "$status" = 0 ] || fail "the program exited with status $status"
echo "PASS: window 1080x1920, welcome panel shown, a second start handed over, Escape ended the program"
