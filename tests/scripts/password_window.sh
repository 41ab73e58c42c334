#!/usr/bin/env bash
# A document locked by a password, opened from the command line of the built program in a real X
# window (Xvfb, 1080x1920): the password panel, a wrong password said so, the right one typed with
# xdotool opening the document, tool command lines without the password, a cache folder only its
# user can read and no file holding the password, and Escape ending the program.
# Screenshots stay in <build dir>/test-output/password_window/.
# Usage: password_window.sh <build dir> [corpus dir]
set -uo pipefail

build=$(cd "${1:?usage: password_window.sh <build dir> [corpus dir]}" && pwd)
source "$(dirname "$0")/support/x_session.sh"
x_session password
maker="$build/tests/make_locked_pdf"
output="$build/test-output/password_window"
password='Kq7 secret'
name="password-window-$$.pdf"
document="$work/$name"
viewer_log="$work/viewer.log"
cleanup_also() { rm -rf "$build"/cache/*_"$name"; }

[ -x "$maker" ] || fail "no program at $maker"
cd "$build" || fail "cannot enter $build"  # the cache is beside the program, or in this folder
rm -rf "$output" && mkdir -p "$output"
# Thirty pages: enough converter runs for a shell's sampling to catch some of them at work.
"$maker" aes256 "$password" "" 30 "$document" || fail "cannot make the locked document"

unset PAGEWELL_PASSWORD
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 \
  "$build/pagewell" "$document" >"$viewer_log" 2>&1 &
viewer_pid=$!
wait_for_window 30

# Panel colours: the Open button's green, the Cancel button's grey, the wrong-password yellow; the
# blue square every page of the document shows.
count() { "$probe" count "$frame" "$@"; }
green() { count 0 0 1080 400 100 200 100; }
grey() { count 0 0 1080 400 200 200 200; }
yellow() { count 0 0 1080 400 255 255 0; }
blue() { count 0 400 1080 1200 0 0 204 40; }

# shown <name> <seconds> <condition>: screenshots until the condition holds; the last one is kept.
shown() {
  local deadline=$((SECONDS + $2))
  frame="$output/$1.png"
  while :; do
    kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended while waiting for $1"
    import -silent -window "$window" "png:$frame" 2>/dev/null && eval "$3" && return 0
    [ "$SECONDS" -ge "$deadline" ] && fail "$1 not seen within $2 seconds (green $(green), grey $(grey), yellow $(yellow), blue $(blue))"
    sleep 0.2
  done
}

# Every running tool's command line, readable by any user, must not hold the password.
seen_tools=0
check_tool_command_lines() {
  local pid line
  for pid in $(pgrep -x pdfinfo.exe) $(pgrep -x pdftotext.exe) $(pgrep -x pdftopng.exe); do
    line=$(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline") || continue
    [ -z "$line" ] && continue
    seen_tools=$((seen_tools + 1))
    case $line in *Kq7*) fail "a tool's command line holds the password: $line" ;; esac
  done
}

shown "01-password-panel" 30 '[ "$(green)" -gt 1000 ] && [ "$(grey)" -gt 1000 ] && [ "$(yellow)" = 0 ]'
[ "$(blue)" -lt 100 ] || fail "a page shows before the password was given"

xdotool mousemove --sync 540 1000
timeout 3 xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
xdotool type --delay 60 "not it"
xdotool key Return
shown "02-wrong-password" 20 '[ "$(yellow)" -gt 50 ] && [ "$(green)" -gt 1000 ]'

xdotool type --delay 60 "$password"
# The field (x 235..711, y 138..173 on this screen) shows one black bullet per character, never the text.
shown "03-typed-masked" 20 '[ "$(count 240 140 460 30 0 0 0 60)" -ge 80 ]'
xdotool key Return
deadline=$((SECONDS + 120))
cache=""
while :; do
  check_tool_command_lines
  cache=$(ls -d "$build"/cache/*_"$name" 2>/dev/null | head -n1)
  [ -n "$cache" ] && [ -s "$cache/thumb_sheet.png" ] && [ -s "$cache/TextualData.txt" ] && break
  kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended during the conversion"
  [ "$SECONDS" -ge "$deadline" ] && fail "the document was not converted within 120 seconds"
  sleep 0.05
done
[ "$seen_tools" -gt 0 ] || fail "no tool program was seen running"
shown "04-first-page" 30 '[ "$(blue)" -gt 5000 ] && [ "$(green)" = 0 ]'

[ "$(stat -c %a "$cache")" = 700 ] || fail "the cache folder's mode is $(stat -c %a "$cache"), not 700"
for file in "$cache"/* "$cache"/.[!.]*; do
  [ -e "$file" ] || continue
  [ "$(stat -c %a "$file")" = 600 ] || fail "$(basename "$file") has mode $(stat -c %a "$file"), not 600"
done
holding=$(grep -rlF -- "$password" "$build/cache" "$work" 2>/dev/null)
[ -z "$holding" ] || fail "files hold the password: $holding"
tr '\0' '\n' <"/proc/$viewer_pid/environ" | grep -q '^PAGEWELL_PASSWORD=' && fail "the viewer's environment holds the password"

xdotool key --clearmodifiers Escape
expect_viewer_ends 30 Escape
echo "PASS: password panel, wrong password said, right one opened the document ($seen_tools tool command lines without it), cache 700/600"
