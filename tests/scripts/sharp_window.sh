#!/usr/bin/env bash
# A fitted A4 page on a 4K portrait screen (Xvfb, 2160x3840): the built program started with no SDL
# variables set, the page fitted at half again its cached picture's size. Once the view has settled it
# is presented as the page drawn directly at the screen's scale, not as its picture stretched.
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
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null && wait "$viewer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$build"/cache/*_sharp-window-e2e-$$.pdf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; [ -f "$work/viewer.log" ] && sed 's/^/  viewer: /' "$work/viewer.log" >&2; exit 1; }

if ! command -v Xvfb >/dev/null; then echo "SKIP: Xvfb is not installed"; exit 0; fi
for needed in xdotool import convert "$program" "$probe" "$maker" "$tools/pdfregion.exe"; do
  command -v "$needed" >/dev/null || fail "$needed is not installed"
done
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

timeout 20 xdotool search --sync --onlyvisible --name Pagewell >/dev/null 2>&1 || fail "no window named Pagewell"
xdotool mousemove --sync 1080 3500 2>/dev/null  # the pointer below the page

# The 120 dpi picture of A4 is 993 x 1404; fitted on this screen it is 1528 x 2160 at (316, 840), its
# larger side the screen's width. The region renderer draws it at that scale: 120 x 1528 / 993 dpi.
dpi=$(awk 'BEGIN { printf "%.6f", 120 * 1528 / 993 }')
clip=$(awk -v d="$dpi" 'BEGIN { printf "0,0,%.6f,%.6f", 1528 * 72 / d, 2160 * 72 / d }')
"$tools/pdfregion.exe" -q -f 1 -r "$dpi" -c "$clip" "$document" "$work/direct.png" || fail "the direct render failed"
# The page on screen against it, pixel for pixel: the stretched picture differs at every edge of its
# text, the page drawn at the screen's scale nowhere but in its last rows.
mkdir -p "$output"
shot="$output/fitted-a4-2160x3840.png"
differing=-1
for _ in $(seq 30); do
  sleep 0.5
  import -silent -window root "png:$shot" 2>/dev/null || continue
  convert "$shot" -crop 1528x2160+316+840 +repage "png:$work/page.png" 2>/dev/null || continue
  differing=$("$probe" differ "$work/page.png" "$work/direct.png" 0 0 1528 2160) || continue
  [ "$differing" -le 3000 ] && break
done
echo "the fitted page on screen: $differing of its pixels differ from the page drawn at its scale"
[ "$differing" -ge 0 ] && [ "$differing" -le 3000 ] || fail "the fitted page is not drawn at the screen's scale: $shot"
echo "PASS: a fitted A4 page on a 2160x3840 screen is drawn at the screen's scale"
