#!/usr/bin/env bash
# A fitted A4 page on a 4K portrait screen (Xvfb, 2160x3840): the built program started with no SDL
# variables set, the page fitted at half again its cached picture's size. Once the view has settled it
# is presented as the page drawn directly at the screen's scale, not as its picture stretched.
# The last screenshot stays in <build dir>/test-output/sharp_window/.
# Usage: sharp_window.sh <build dir> [corpus dir]
set -uo pipefail
build=$(cd "${1:?usage: sharp_window.sh <build dir> [corpus dir]}" && pwd)
source "$(dirname "$0")/support/x_session.sh"
x_session sharp 2160x3840
tools="$build/includes/bin64"
document="$work/sharp-window-e2e-$$.pdf"
trap 'x_session_cleanup; rm -f "$build"/cache/*_sharp-window-e2e-$$.pdf' EXIT
cd "$build" || fail "cannot enter $build"  # the cache is beside the program, or in this folder
command -v convert >/dev/null || fail "convert is not installed"
"$build/tests/make_text_pdf" "$document" || fail "cannot make the test document"
viewer_log="$work/viewer.log"
SDL_AUDIODRIVER=dummy "$build/pagewell" "$document" >"$viewer_log" 2>&1 &
viewer_pid=$!
wait_for_window
xdotool mousemove --sync 1080 3500 2>/dev/null  # the pointer below the page

# The 120 dpi picture of A4 is 993 x 1404; fitted on this screen it is 1528 x 2160 at (316, 840), its
# larger side the screen's width. The region renderer draws it at that scale: 120 x 1528 / 993 dpi.
dpi=$(awk 'BEGIN { printf "%.6f", 120 * 1528 / 993 }')
clip=$(awk -v d="$dpi" 'BEGIN { printf "0,0,%.6f,%.6f", 1528 * 72 / d, 2160 * 72 / d }')
"$tools/pdfregion.exe" -q -f 1 -r "$dpi" -c "$clip" "$document" "$work/direct.png" || fail "the direct render failed"
# The page on screen against it, pixel for pixel: the stretched picture differs at every edge of its
# text, the page drawn at the screen's scale nowhere but in its last rows.
shot="$build/test-output/sharp_window/fitted-a4-2160x3840.png" differing=-1
mkdir -p "$(dirname "$shot")"
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
