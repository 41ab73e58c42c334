#!/usr/bin/env bash
# A fitted A4 page on a 4K portrait screen (Xvfb, 2160x3840): the built program started with no SDL
# variables set, the page fitted more than twice its cached picture's size. Once the view has settled
# its text is drawn at the screen's scale: among the ink pixels of the screen's middle few are mid-grey,
# as few as in the page drawn directly at that scale, where a stretched picture has half of them.
# The last screenshot stays in <build dir>/test-output/sharp_window/.
# Usage: sharp_window.sh <build dir> [corpus dir]
set -uo pipefail

build=$(cd "${1:?usage: sharp_window.sh <build dir> [corpus dir]}" && pwd)
program="$build/pagewell"
probe="$build/tests/frame_probe"
maker="$build/tests/make_text_pdf"
tools="$build/includes/bin64"
output="$build/test-output/sharp_window"
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewell-sharp-XXXXXX")
document="$work/sharp-window-e2e-$$.pdf"
xvfb_pid=""
viewer_pid=""

cleanup() {
  if [ -n "$viewer_pid" ]; then
    kill "$viewer_pid" 2>/dev/null
    wait "$viewer_pid" 2>/dev/null
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$build"/cache/*_sharp-window-e2e-$$.pdf
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; [ -f "$work/viewer.log" ] && sed 's/^/  viewer: /' "$work/viewer.log" >&2; exit 1; }

if ! command -v Xvfb >/dev/null; then echo "SKIP: Xvfb is not installed"; exit 0; fi
for needed in xdotool import; do command -v "$needed" >/dev/null || fail "$needed is not installed"; done
for needed in "$program" "$probe" "$maker" "$tools/pdfregion.exe"; do [ -x "$needed" ] || fail "no program at $needed"; done
"$maker" "$document" || fail "cannot make the test document"

Xvfb -displayfd 3 -noreset -screen 0 2160x3840x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
unset PAGEWELL_FILE_DIALOG SDL_VIDEODRIVER SDL_RENDER_DRIVER SDL_FRAMEBUFFER_ACCELERATION
export SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$program" "$document" >"$work/viewer.log" 2>&1 &
viewer_pid=$!

window=""
for _ in $(seq 200); do
  window=$(xdotool search --onlyvisible --name Pagewell 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended before showing its window"
  sleep 0.1
done
[ -n "$window" ] || fail "no visible window named Pagewell within 20 seconds"
# The pointer rests below the page, away from the screen's middle that is measured.
xdotool mousemove --sync 1080 3500 2>/dev/null

# The 120 dpi picture of A4 is 993 x 1404; fitted on this screen it is 1528 x 2160 at (316, 840), its
# larger side the screen's width. The screen's middle lies on the page: mostly paper, some ink.
middle="540 960 1080 1920"
mkdir -p "$output"
shot="$output/fitted-a4-2160x3840.png"
share=1
paper=0
for _ in $(seq 60); do
  sleep 0.5
  import -silent -window root "png:$shot" 2>/dev/null || continue
  paper=$("$probe" bright "$shot" $middle 200 | awk '{ print $1 }') || continue
  [ "$paper" -gt $((1080 * 1920 / 2)) ] || continue
  share=$("$probe" sharpness "$shot" $middle) || continue
  awk -v s="$share" 'BEGIN { exit !(s >= 0 && s <= 0.32) }' && break
done
[ "$paper" -gt $((1080 * 1920 / 2)) ] || fail "no page in the screen's middle ($paper paper pixels): $shot"
echo "screen middle: $share of its ink pixels mid-grey"
awk -v s="$share" 'BEGIN { exit !(s >= 0 && s <= 0.32) }' || fail "the fitted page stays stretched: $share mid-grey"

# The page drawn directly at the displayed scale: 120 x 1528 / 993 dots per inch, the whole page.
dpi=$(awk 'BEGIN { printf "%.6f", 120 * 1528 / 993 }')
clip=$(awk -v d="$dpi" 'BEGIN { printf "0,0,%.6f,%.6f", 1528 * 72 / d, 2160 * 72 / d }')
"$tools/pdfregion.exe" -q -f 1 -r "$dpi" -c "$clip" "$document" "$work/direct.png" || fail "the direct render failed"
direct=$("$probe" sharpness "$work/direct.png" $((540 - 316)) $((960 - 840)) 1080 1920) ||
  fail "cannot read the direct render"
echo "the same part drawn directly: $direct mid-grey"
awk -v s="$share" -v d="$direct" 'BEGIN { exit !(s - d <= 0.05 && d - s <= 0.05) }' ||
  fail "the page on screen ($share) is not the page drawn at its scale ($direct)"
echo "PASS: a fitted A4 page on a 2160x3840 screen is drawn at the screen's scale"
