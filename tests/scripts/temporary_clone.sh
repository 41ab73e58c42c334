#!/usr/bin/env bash
# The README's run command as many first try it: from a clone under the temporary folder. The built
# program folder is laid out again under $TMPDIR as a clone's build folder holds it (the executable
# copied, so that it runs from there; its tool programs and Pagewell.ini beside it), and the program is
# started as the run command's last step starts it: with a document named relative to another working
# folder and no SDL variable set. Page 1 must be converted (into that working folder's cache: the
# temporary-folder rule) and shown on the screen. Then, with a page converter that is not executable,
# the program must say so in the terminal rather than show a black page.
# Usage: temporary_clone.sh <build dir> <corpus dir>
set -uo pipefail

build=$(cd "${1:?usage: temporary_clone.sh <build dir> <corpus dir>}" && pwd)
corpus=${2:?usage: temporary_clone.sh <build dir> <corpus dir>}
probe="$build/tests/frame_probe"
document="$corpus/short-ltnews36.pdf"
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewell-clone-XXXXXX")
xvfb_pid=""
viewer_pid=""

cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null && wait "$viewer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/viewer.log" ] && sed 's/^/  viewer: /' "$work/viewer.log" >&2
  exit 1
}

if ! command -v Xvfb >/dev/null; then echo "SKIP: Xvfb is not installed"; exit 0; fi
for tool in xdotool import; do command -v "$tool" >/dev/null || fail "$tool is not installed"; done
[ -x "$build/pagewell" ] || fail "no program at $build/pagewell"
[ -x "$probe" ] || fail "no pixel probe at $probe (build the frame_probe target)"
[ -s "$document" ] || fail "no document at $document"
bits=$(getconf LONG_BIT)

# clone <name> [pdftopng.exe file]: <work>/<name>/build/ as a build lays it out; the page converter may
# be replaced by the given file.
clone() {
  local folder="$work/$1/build" tools
  tools="$folder/includes/bin$bits"
  mkdir -p "$tools"
  cp "$build/pagewell" "$build/Pagewell.ini" "$folder/"
  for name in pdfinfo.exe pdftotext.exe pdftopng.exe; do ln -s "$build/includes/bin$bits/$name" "$tools/$name"; done
  if [ $# -gt 1 ]; then rm "$tools/pdftopng.exe" && cp "$2" "$tools/pdftopng.exe"; fi
  echo "$folder"
}

Xvfb -displayfd 3 -noreset -screen 0 1080x1920x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset PAGEWELL_FILE_DIALOG SDL_VIDEODRIVER SDL_AUDIODRIVER SDL_RENDER_DRIVER SDL_FRAMEBUFFER_ACCELERATION

# run_from <program folder> <working folder>: the program started there with "document.pdf".
run_from() {
  mkdir -p "$2"
  cp "$document" "$2/document.pdf"
  (cd "$2" && exec "$1/pagewell" document.pdf) >"$work/viewer.log" 2>&1 &
  viewer_pid=$!
}

end_viewer() {
  kill "$viewer_pid" 2>/dev/null
  wait "$viewer_pid" 2>/dev/null
  viewer_pid=""
}

program=$(clone clone)
run_from "$program" "$work/elsewhere"
first_page=""
for _ in $(seq 600); do
  first_page=$(compgen -G "$work/elsewhere/cache/*_document.pdf/page-000001.jpg" | head -n1)
  [ -n "$first_page" ] && break
  kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended before converting page 1"
  sleep 0.1
done
[ -n "$first_page" ] || fail "page 1 was not converted into the working folder's cache within 60 seconds"
[ -e "$program/cache" ] && fail "the cache was made beside the program in the temporary folder"
window=$(xdotool search --onlyvisible --name Pagewell 2>/dev/null | head -n1)
[ -n "$window" ] || fail "no visible Pagewell window"
# Page 1 fills the screen's width: most of three rows across its middle are white paper.
shown=0
for _ in $(seq 50); do
  if import -silent -window "$window" "png:$work/screen.png" 2>/dev/null; then
    shown=$("$probe" bright "$work/screen.png" 300 900 480 240 | cut -d' ' -f1)
    [ "${shown:-0}" -gt $((480 * 240 / 2)) ] && break
  fi
  sleep 0.2
done
[ "${shown:-0}" -gt $((480 * 240 / 2)) ] || fail "page 1 is not on the screen ($shown bright pixels of $((480 * 240)))"
end_viewer

printf '#!/bin/sh\nexit 0\n' >"$work/not-executable"
chmod 644 "$work/not-executable"
program=$(clone unexecutable "$work/not-executable")
run_from "$program" "$work/elsewhere-2"
said=""
for _ in $(seq 100); do
  said=$(grep -m1 "The page converter could not be started: Permission denied" "$work/viewer.log")
  [ -n "$said" ] && break
  sleep 0.1
done
[ -n "$said" ] || fail "a page converter that cannot be started was not said in the terminal"
end_viewer

echo "PASS: from a clone under ${TMPDIR:-/tmp} page 1 was converted into the working folder's cache and shown;" \
  "a page converter that cannot be started was said"
