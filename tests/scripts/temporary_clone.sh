#!/usr/bin/env bash
# The README's run command as many first try it: from a clone under the temporary folder. The built
# program folder is laid out again under $TMPDIR as a clone's build folder holds it (the executable
# copied, so that it runs from there; its tool programs and Pagewell.ini beside it), and the program is
# started as the run command's last step starts it, with a document named relative to another working
# folder and no SDL variable set. Page 1 must be converted into that working folder's cache (the
# temporary-folder rule) and shown on the screen.
# Usage: temporary_clone.sh <build dir> <corpus dir>
set -uo pipefail
build=$(cd "${1:?usage: temporary_clone.sh <build dir> <corpus dir>}" && pwd)
source "$(dirname "$0")/support/x_session.sh"
x_session clone

clone="$work/clone/build" here="$work/elsewhere"
mkdir -p "$clone/includes" "$here"
cp "$build/pagewell" "$build/Pagewell.ini" "$clone/"
ln -s "$build/includes/bin$(getconf LONG_BIT)" "$clone/includes/"
cp "${2:?usage: temporary_clone.sh <build dir> <corpus dir>}/short-ltnews36.pdf" "$here/document.pdf"
viewer_log="$work/viewer.log"
(cd "$here" && exec "$clone/pagewell" document.pdf) >"$viewer_log" 2>&1 &
viewer_pid=$!

for _ in $(seq 600); do
  compgen -G "$here/cache/*_document.pdf/page-000001.jpg" >/dev/null && break
  kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended before converting page 1"
  sleep 0.1
done
compgen -G "$here/cache/*_document.pdf/page-000001.jpg" >/dev/null ||
  fail "page 1 was not converted into the working folder's cache within 60 seconds"
[ -e "$clone/cache" ] && fail "a cache was made beside the program in the temporary folder"
wait_for_window
# Page 1 fills the screen's width: most of the middle of the screen is white paper.
for _ in $(seq 50); do
  shown=$(bright_on_screen 300 900 480 240) && [ "$shown" -gt $((480 * 120)) ] && break
  sleep 0.2
done
[ "${shown:-0}" -gt $((480 * 120)) ] || fail "page 1 is not on the screen ($shown bright pixels of $((480 * 240)))"
echo "PASS: from a clone under ${TMPDIR:-/tmp}, page 1 converted into the working folder's cache and shown"
