#!/usr/bin/env bash
# The viewer as its users meet it: the built program in a real X window under Xvfb, first on a
# 1080x1920 portrait screen, then on a 1920x1080 landscape one, driven with xdotool through Open, Info,
# page turning, the keys and the wheel, zoom, the thumbnail sheet, search (physical and on-screen
# keyboard), the text view with its clipboard copy, the about screen, Detach, opening the document
# again from its cache, and Exit.
# Every step is checked on a screenshot; the screenshots stay in
# <build dir>/test-output/desktop_e2e/<screen>/<nn>-<step>.png, with what each showed in steps.log.
# Usage: desktop_e2e.sh <build dir> <corpus dir>
set -uo pipefail

build=$(cd "${1:?usage: desktop_e2e.sh <build dir> <corpus dir>}" && pwd)
corpus=${2:?usage: desktop_e2e.sh <build dir> <corpus dir>}
program="$build/pagewell"
probe="$build/tests/frame_probe"
source_document="$corpus/short-ltnews36.pdf"  # 4 pages; "font" is on pages 1, 2 and 4, "news" on 1 and 4
output="$build/test-output/desktop_e2e"
source "$(dirname "$0")/support/x_session.sh"
x_work desktop
viewer_log="$work/viewer.log"
screen_name="setup"
step_number=0
step_name="setup"

# Tool programs the viewer started for our documents: their command lines name our work folder.
stop_our_tools() {
  local pid
  for pid in $(pgrep -f -- "$work/" 2>/dev/null); do
    [ "$pid" != "$$" ] && kill -9 "$pid" 2>/dev/null
  done
}

stop_screen() {
  stop_viewer
  stop_our_tools
  stop_x
}

cleanup_also() {
  stop_screen
  rm -rf "$build"/cache/*_desktop-e2e-*.pdf
}

fail() {
  echo "FAIL [$screen_name] step $(printf %02d "$step_number") $step_name: $*" >&2
  [ -f "$viewer_log" ] && sed 's/^/  viewer: /' "$viewer_log" | tail -n 40 >&2
  [ -d "$output/$screen_name" ] && echo "  screenshots: $output/$screen_name" >&2
  exit 1
}

for tool in xdotool xwininfo xprop xclip import; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup installs it)"
done
[ -x "$program" ] || fail "no program at $program"
[ -x "$probe" ] || fail "no pixel probe at $probe (build the frame_probe target)"
[ -s "$source_document" ] || fail "no document at $source_document"
cd "$build" || fail "cannot enter $build"  # the cache is beside the program, or in this folder

# ---------------------------------------------------------------------------------------------------
# Screenshots and waiting

begin_step() {
  step_number=$((step_number + 1))
  step_name=$1
}

# capture <file>: the window's pixels as they are on the screen now.
capture() {
  import -silent -window "$window" -quality 11 "png:$1" 2>/dev/null
}

# until_shown <what> <seconds> <predicate> [args]: captures the window into $frame again and again until the
# predicate (a function reading $frame) holds, then keeps that screenshot as <nn>-<step>.png in $last.
# On the deadline the last screenshot is kept as <nn>-<step>-FAILED.png and the step fails.
until_shown() {
  local what=$1 seconds=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  local name
  name=$(printf '%s/%02d-%s' "$screen_dir" "$step_number" "$step_name")
  frame="$work/frame.png"
  while :; do
    kill -0 "$viewer_pid" 2>/dev/null || fail "the program ended while waiting for $what"
    if capture "$frame" && "$@"; then
      mv "$frame" "$name.png"
      last="$name.png"
      echo "$(basename "$name"): $what ($check_detail)" >>"$screen_dir/steps.log"
      return 0
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      [ -f "$frame" ] && mv "$frame" "$name-FAILED.png"
      fail "$what not seen within $seconds seconds ($check_detail)"
    fi
    sleep 0.15
  done
}

check_detail=""

# Pixel counts, read through the probe. Regions are x y w h in window coordinates.
count_colour() { "$probe" count "$frame" "$@"; }
differing() { "$probe" differ "$1" "$frame" "${@:2}"; }
bright_box() { "$probe" bright "$frame" "$@"; }

# at_least <count> <percent> <area>: count is at least percent of area.
at_least() { [ "$1" -ge 0 ] 2>/dev/null && [ $(($1 * 100)) -ge $(($2 * $3)) ]; }
at_most() { [ "$1" -ge 0 ] 2>/dev/null && [ $(($1 * 100)) -le $(($2 * $3)) ]; }

# ---------------------------------------------------------------------------------------------------
# Input, as a person gives it

move() { xdotool mousemove --window "$window" "$1" "$2"; }
click() { xdotool click 1; }
focus_window() { timeout 3 xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true; }

# ---------------------------------------------------------------------------------------------------
# The screen's layout, as a user finds it on each screen size (button faces, bands and panels).

layout_portrait() {  # 1080x1920: fonts 10, 12, 18, 22; pointer 16; strips 19
  W=1080 H=1920 window_x=0
  strip=19 band=90 band_light=54
  button_y=27 open_x=39 thumbs_x=94 info_x=149 search_x=223 text_x=297 about_x=353 exit_x=409 detach_x=1047
  panel_x=223 panel_w=635 panel_h=88 row=18 medium=12
  keyboard_x=19 keyboard_y=1561 keyboard_w=1042 key_w=67 key_h=62
}

layout_landscape() {  # 902x1080 centred on 1920x1080: fonts 9, 11, 15, 19; pointer 15; strips 18
  W=902 H=1080 window_x=509
  strip=18 band=81 band_light=49
  button_y=24 open_x=36 thumbs_x=89 info_x=141 search_x=212 text_x=283 about_x=338 exit_x=392 detach_x=871
  panel_x=186 panel_w=531 panel_h=76 row=15 medium=11
  keyboard_x=18 keyboard_y=876 keyboard_w=866 key_w=56 key_h=35
}

# key_centre <row 1..4> <index in the row's regular keys>: the on-screen key's centre in the window.
# Each row's first regular key starts at a fixed share of the keyboard's width; keys are 2 pixels apart.
key_centre() {
  awk -v row="$1" -v k="$2" -v W="$keyboard_w" -v kw="$key_w" -v kh="$key_h" \
      -v kx="$keyboard_x" -v ky="$keyboard_y" 'BEGIN {
    split("100 9 7.8 10", share, " ")
    x = int(W / share[row] + 2 + k * (kw + 2) + 0.5)
    printf "%d %d\n", kx + x + int(kw / 2), ky + (row - 1) * (kh + 2) + int(kh / 2)
  }'
}

# ---------------------------------------------------------------------------------------------------
# What the screenshots must show

welcome_shown() {
  local bright
  read -r bright _ < <(bright_box $((W / 2 - 330)) $((H / 3 - 100)) 660 200)
  check_detail="$bright bright pixels in the welcome panel"
  [ "$bright" -gt 200 ]
}

toolbar_shown() {  # the light upper band right of the buttons and the dark lower band, around their texts
  local x=$((exit_x + 40)) w=$((W - exit_x - 100)) light_h=$((band_light - 4)) dark_h=$((band - band_light - 4))
  local light dark
  light=$(count_colour $x 2 $w $light_h 200 200 200)
  dark=$(count_colour 0 $((band_light + 2)) "$W" $dark_h 100 100 100)
  check_detail="tool bar band: $light light grey of $((w * light_h)), $dark dark grey of $((W * dark_h))"
  at_least "$light" 80 $((w * light_h)) && at_least "$dark" 60 $((W * dark_h))
}

toolbar_hidden() {
  local light
  light=$(count_colour 0 2 "$W" $((band_light - 4)) 200 200 200)
  check_detail="$light light grey pixels in the tool bar band"
  at_most "$light" 5 $((W * (band_light - 4)))
}

# The page band: the middle half of the window, clear of the strips, the panels and the keyboard.
page_x=60
page_band=()
page_area=0
set_page_band() {
  page_band=("$page_x" $((H / 4)) $((W - 2 * page_x)) $((H / 2)))
  page_area=$(((W - 2 * page_x) * (H / 2)))
}

page_shown() {
  local bright
  read -r bright _ < <(bright_box "${page_band[@]}")
  check_detail="$bright bright pixels in the page band"
  at_least "$bright" 30 "$page_area"
}

page_hidden() {
  local bright
  read -r bright _ < <(bright_box "${page_band[@]}")
  check_detail="$bright bright pixels in the page band"
  at_most "$bright" 1 "$page_area"
}

# page_differs_from <shot> <percent>: the page band changed in at least percent of its pixels.
page_differs_from() {
  local changed
  changed=$(differing "$1" "${page_band[@]}")
  check_detail="$changed pixels of the page band differ from $(basename "$1")"
  at_least "$changed" "$2" "$page_area"
}

page_matches() {
  local changed
  changed=$(differing "$1" "${page_band[@]}")
  check_detail="$changed pixels of the page band differ from $(basename "$1")"
  at_most "$changed" 1 "$page_area"
}

# Width of the bright (paper-white) part of the page across the whole window, below the tool-bar zone.
page_width() {
  local count x0 x1
  read -r count x0 _ x1 _ < <(bright_box 0 $((H / 4)) "$W" $((H / 2)))
  echo $((count > 0 ? x1 - x0 + 1 : 0))
}

strip_lit() {  # strip_lit <x>: the grey strip stands at x, above the pointer
  local grey
  grey=$(count_colour "$1" 0 "$strip" $((H / 2 - 60)) 198 198 198)
  check_detail="$grey strip-grey pixels at x $1"
  at_least "$grey" 90 $((strip * (H / 2 - 60)))
}

zoomed_wider() {
  local width
  width=$(page_width)
  check_detail="page $width wide, fitted $fitted_width"
  [ "$width" -ge $((fitted_width + 40)) ] && page_differs_from "$fitted_shot" 10
}

fit_restored() {
  local width
  width=$(page_width)
  check_detail="page $width wide, fitted $fitted_width"
  [ "$width" -ge $((fitted_width - 2)) ] && [ "$width" -le $((fitted_width + 2)) ] &&
    page_matches "$fitted_shot"
}

cell_hovered() {  # the blue highlight over the hovered thumbnail cell
  local tinted
  tinted=$(count_colour "$cell_x0" "$cell_y0" "$cell_w" "$cell_h" 155 155 255 40)
  check_detail="$tinted highlighted pixels in the cell of page $picked_page"
  at_least "$tinted" 20 $((cell_w * cell_h))
}

search_panel_open() {
  local grey keys
  grey=$(count_colour "$panel_x" "$band" "$panel_w" "$panel_h" 100 100 100)
  keys=$(count_colour "$keyboard_x" "$keyboard_y" "$keyboard_w" $((4 * key_h)) 200 200 200 30)
  check_detail="$grey grey pixels in the search panel, $keys key-face pixels in the keyboard"
  at_least "$grey" 40 $((panel_w * panel_h)) && at_least "$keys" 25 $((keyboard_w * 4 * key_h))
}

hit_list_rows() {  # hit_list_rows <n>: the grey list is as long as its title and n rows
  local list_y=$((band + panel_h)) grey below
  grey=$(count_colour $((panel_x + 2)) $((list_y + 2)) $((panel_w - 4)) $((3 * row + $1 * row - 4)) 100 100 100)
  below=$(count_colour $((panel_x + 2)) $((list_y + 3 * row + $1 * row + 2)) $((panel_w - 4)) $((row - 4)) 100 100 100)
  check_detail="$grey grey pixels in the list of $1 hits, $below in the row below it"
  at_least "$grey" 50 $(((panel_w - 4) * (3 * row + $1 * row - 4))) && at_most "$below" 20 $(((panel_w - 4) * (row - 4)))
}

search_field_changed() {
  local changed
  changed=$(differing "$field_before" $((panel_x + medium + 2)) $((band + 3 * medium + 2)) \
            $((panel_w * 10 / 13 - medium - 4)) $((panel_h * 2 / 5 - 4)))
  check_detail="$changed pixels of the search field changed"
  [ "$changed" -gt 3 ]
}

text_view_open() {
  local dark
  dark=$(count_colour $((strip + 10)) $((band + 5 * medium)) $((W - 2 * strip - 20)) 300 30 30 30 12)
  check_detail="$dark text-view pixels"
  at_least "$dark" 50 $(((W - 2 * strip - 20) * 300))
}

info_panel() {  # info_panel <min percent> <max percent>: grey of the information panel under the tool bar
  local grey area=$((200 * 100))
  grey=$(count_colour $((W / 2 - 100)) $((band + 10)) 200 100 100 100 100)
  check_detail="$grey information-panel grey pixels"
  at_least "$grey" "$1" $area && at_most "$grey" "$2" $area
}

about_text_rising() {  # the credits come up from the bottom edge, faded toward it
  local lit
  read -r lit _ < <(bright_box 0 $((H * 3 / 4)) "$W" $((H / 4)) 30)
  check_detail="$lit lit pixels in the bottom quarter"
  [ "$lit" -ge 500 ]
}

decorations() {  # the window's _MOTIF_WM_HINTS decorations word: 0x0 without a title bar
  xprop -id "$window" _MOTIF_WM_HINTS 2>/dev/null | awk -F', ' '/=/ {print $3}'
}

window_has_decorations() { [ "$(decorations)" = "0x$1" ]; }

pointer_x() { xdotool getmouselocation 2>/dev/null | sed -n 's/^x:\([0-9]*\) .*/\1/p'; }

# The sheet's grid, from its file's trailer (cell width|cell height|columns|rows after the last 0 byte),
# into cell_w, cell_h, columns; sheet_w and sheet_h are the sheet picture's size.
sheet_grid() {
  local trailer
  trailer=$(tr '\0' '\n' <"$sheet" | tail -n1)
  IFS='|' read -r cell_w cell_h columns _ <<<"$trailer"
  read -r sheet_w sheet_h < <("$probe" size "$sheet" 2>/dev/null)
  [ "${columns:-0}" -ge 1 ] 2>/dev/null && [ "${cell_w:-0}" -ge 1 ] 2>/dev/null &&
    [ "${cell_h:-0}" -ge 1 ] 2>/dev/null && [ "${sheet_w:-0}" -ge 1 ] 2>/dev/null
}

# page_settled: the page band is as it was in the previous poll.
page_settled() {
  local settled=1
  [ -f "$work/previous.png" ] && page_matches "$work/previous.png" || settled=0
  cp "$frame" "$work/previous.png"
  [ "$settled" = 1 ]
}

# ---------------------------------------------------------------------------------------------------
# One screen, start to Exit

start_screen() {  # start_screen <name> <desktop WxH>
  screen_name=$1
  step_number=0
  step_name="start"
  screen_dir="$output/$screen_name"
  rm -rf "$screen_dir"
  mkdir -p "$screen_dir"

  document="$work/desktop-e2e-$screen_name.pdf"
  cp "$source_document" "$document"
  printf '#!/bin/sh\necho "%s"\n' "$document" >"$work/choose"
  chmod +x "$work/choose"
  rm -rf "$build"/cache/*_"desktop-e2e-$screen_name.pdf"

  start_x "$2"
  # A desktop's window manager knows the _MOTIF_WM_HINTS atom, through which the title bar is asked
  # for and taken away; on a bare X server SDL finds no such atom and leaves no trace of either.
  xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0 && xprop -root -remove _MOTIF_WM_HINTS ||
    fail "cannot make the _MOTIF_WM_HINTS atom"

  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 \
    PAGEWELL_FILE_DIALOG="$work/choose" "$program" >"$viewer_log" 2>&1 &
  viewer_pid=$!
  wait_for_window 30
}

check_window() {
  begin_step "window"
  local info
  info=$(xwininfo -id "$window")
  local title width height left top
  title=$(sed -n 's/^xwininfo: Window id: [^"]*"\(.*\)"$/\1/p' <<<"$info")
  width=$(awk '/^ *Width:/ {print $2}' <<<"$info")
  height=$(awk '/^ *Height:/ {print $2}' <<<"$info")
  left=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
  top=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
  [ "$title" = "Pagewell v1.0 - 10 January 2016 by Tarnwick" ] || fail "window title is '$title'"
  [ "$width" = "$W" ] && [ "$height" = "$H" ] || fail "window is ${width}x${height}, not ${W}x${H}"
  [ "$left" = "$window_x" ] && [ "$top" = 0 ] || fail "window stands at ($left, $top), not ($window_x, 0)"
  window_has_decorations 0 || fail "the window has a title bar before Detach ($(decorations))"
}

open_document() {
  begin_step "welcome"
  until_shown "the welcome panel" 30 welcome_shown

  begin_step "toolbar-open"
  move "$open_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click

  begin_step "first-page"
  cache=""
  sheet=""
  until_true 120 "a thumb_sheet.png with its grid in the document's cache folder" sheet_saved
  # The sheet is saved at the end of a frame that may still show the "Please wait" notice.
  move $((W / 3)) $((H / 2))
  rm -f "$work/previous.png"
  until_shown "page 1, settled, without the tool bar" 20 eval 'page_shown && toolbar_hidden && page_settled'
  fitted_shot=$last
  fitted_width=$(frame=$last page_width)
}

show_information() {
  begin_step "toolbar-info"
  move "$info_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "information"
  move $((W / 3)) $((H / 2))
  until_shown "the information panel" 20 info_panel 50 100
  begin_step "toolbar-info-closed"
  move "$info_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "information-closed"
  move $((W / 3)) $((H / 2))
  until_shown "the page without the information panel" 20 eval 'info_panel 0 10 && page_matches "$fitted_shot"'
}

turn_pages() {
  begin_step "strip-lit-right"
  move $((W - strip / 2)) $((H * 3 / 4))
  until_shown "the lit right strip" 20 strip_lit $((W - strip))
  click
  begin_step "page-2"
  until_shown "page 2" 20 page_differs_from "$fitted_shot" 2
  # shellcheck disable=SC2034  # read by the check below
  local page_two=$last

  begin_step "strip-lit-left"
  move $((strip / 2)) $((H * 3 / 4))
  until_shown "the lit left strip" 20 strip_lit 0
  click
  begin_step "page-1"
  until_shown "page 1 again" 20 eval 'page_differs_from "$page_two" 2 && page_matches "$fitted_shot"'
}

# The same turns and the zoom from the physical keyboard and the mouse wheel, as X delivers them.
keys_and_wheel() {
  begin_step "key-page-down"
  move $((W / 3)) $((H / 2))
  focus_window
  xdotool key Next
  until_shown "page 2 after Page Down" 20 page_differs_from "$fitted_shot" 2
  begin_step "wheel-away"
  xdotool click 4
  until_shown "page 1 after the wheel turned away" 20 page_matches "$fitted_shot"
  begin_step "wheel-toward"
  xdotool click 5
  until_shown "page 2 after the wheel turned toward the user" 20 page_differs_from "$fitted_shot" 2
  begin_step "key-home"
  xdotool key Home
  until_shown "page 1 after Home" 20 page_matches "$fitted_shot"
  begin_step "key-zoom-in"
  xdotool key ctrl+plus ctrl+KP_Add
  until_shown "a page larger than its fit after Control + plus" 20 zoomed_wider
  begin_step "key-fit"
  xdotool key ctrl+0
  until_shown "the fitted page after Control + 0" 20 fit_restored
}

zoom_and_restore() {
  begin_step "zoomed"
  local x=$((W / 3)) y=$((H / 2))
  move "$x" "$y"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  local step
  for step in 4 12 25 8 30 16 40 10; do
    x=$((x + step))
    move "$x" "$y"
    sleep 0.06
  done
  sleep 0.2
  xdotool mouseup 1
  until_shown "a page larger than its fit" 20 zoomed_wider

  # At the centre: a double-click's first click is also a tap, which glides the pressed point there.
  begin_step "fit-restored"
  move $((W / 2)) $((H / 2))
  sleep 0.2
  xdotool click --repeat 2 --delay 60 1
  until_shown "the fitted page again" 20 fit_restored
}

pick_thumbnail() {
  begin_step "toolbar-thumbnails"
  move "$thumbs_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click

  sheet_grid || fail "thumb_sheet.png has no grid trailer"
  picked_page=3
  cell_x0=$((W / 2 - sheet_w / 2 + ((picked_page - 1) % columns) * cell_w))
  cell_y0=$((H / 2 - sheet_h / 2 + ((picked_page - 1) / columns) * cell_h))
  begin_step "thumbnail-sheet"
  move $((cell_x0 + cell_w / 2)) $((cell_y0 + cell_h / 2))
  until_shown "the sheet with page 3's cell highlighted" 20 cell_hovered
  # shellcheck disable=SC2034  # read by the check below
  local sheet_shot=$last
  click
  begin_step "page-3"
  until_shown "page 3" 20 eval 'page_shown && page_differs_from "$sheet_shot" 5 && page_differs_from "$fitted_shot" 2'
  # shellcheck disable=SC2034  # read by the hit pick's check
  page_three=$last
}

search() {
  begin_step "toolbar-search"
  move "$search_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "search-panel"
  move $((W / 2)) $((H / 2))
  until_shown "the search panel and the on-screen keyboard" 20 search_panel_open

  begin_step "hits-typed"
  focus_window
  xdotool type --delay 80 font
  xdotool key Return
  until_shown "three hits for the typed word" 20 hit_list_rows 3

  # The on-screen keyboard: delete the word, type "news" and press its Enter.
  local label keys=("delete" "delete" "delete" "delete" "4 6" "2 2" "2 1" "3 1" "enter") key x y
  for key in "${keys[@]}"; do
    case $key in
      delete) label=delete x=$((keyboard_x + keyboard_w - 20)) y=$((keyboard_y + key_h / 2)) ;;
      enter) label=enter x=$((keyboard_x + keyboard_w - 20)) y=$((keyboard_y + key_h + 2 + key_h / 2)) ;;
      *) label="key-${key/ /-}" && read -r x y < <(key_centre $key) ;;
    esac
    move "$x" "$y"
    sleep 0.1
    frame="$work/field.png"
    capture "$frame" || fail "no screenshot before the on-screen key $label"
    field_before="$work/field-before.png"
    mv "$frame" "$field_before"
    click
    if [ "$label" = enter ]; then
      begin_step "hits-on-screen-keys"
      until_shown "two hits for the word typed on the on-screen keyboard" 20 hit_list_rows 2
    else
      begin_step "on-screen-$label"
      until_shown "the search word changed by the on-screen key $label" 20 search_field_changed
    fi
  done

  begin_step "hit-picked"
  move $((W / 2)) $((band + panel_h + 3 * row + row + row / 2))
  sleep 0.2
  click
  until_shown "page 4 from the second hit" 20 eval 'page_shown && page_differs_from "$page_three" 2'
}

copy_text() {
  begin_step "toolbar-search-closed"
  move "$search_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "toolbar-text"
  move "$text_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "text-view"
  move $((W / 2)) $((H * 3 / 4))
  until_shown "the text view" 20 text_view_open

  focus_window
  # Held as long as a person holds them: the viewer reads the keys' state once a frame.
  xdotool keydown Control_L
  sleep 0.1
  xdotool keydown c
  sleep 0.25
  xdotool keyup c
  sleep 0.1
  xdotool keyup Control_L
  text=""
  until_true 30 "page 4's text on the clipboard" clipboard_holds_page_text
  printf '%s\n' "$text" >"$screen_dir/$(printf %02d "$step_number")-clipboard.txt"

  begin_step "toolbar-text-closed"
  move "$text_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
}

about() {
  begin_step "toolbar-about"
  move "$about_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "about"
  until_shown "the about screen over the page" 20 eval 'page_hidden && toolbar_hidden && about_text_rising'
  move $((W / 2)) $((H / 2))
  click
  begin_step "about-closed"
  until_shown "the page after the about screen" 20 page_shown
}

clipboard_holds_page_text() {
  text=$(timeout 3 xclip -o -selection clipboard 2>/dev/null)
  [[ "$text" == *ltnews3* ]]
}
pointer_left_window() { xdotool mousemove 50 $((H / 2)) && [ "$(pointer_x)" -lt "$window_x" ]; }
sheet_saved() {
  cache=$(ls -d "$build"/cache/*_"desktop-e2e-$screen_name.pdf" 2>/dev/null | head -n1)
  [ -n "$cache" ] && [ -s "$cache/thumb_sheet.png" ] && sheet="$cache/thumb_sheet.png" && sheet_grid
}

detach_and_reattach() {
  begin_step "toolbar-detach"
  move "$detach_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "detached"
  until_true 20 "the window asking for a title bar" window_has_decorations 1
  if [ "$window_x" -gt 100 ]; then  # a free pointer can leave the window
    until_true 20 "the pointer leaving the detached window" pointer_left_window
  fi
  move $((W / 2)) $((H / 2))
  until_shown "the page while detached" 20 page_shown
  click
  begin_step "reattached"
  until_true 20 "the title bar taken away by a press on the page" window_has_decorations 0
  if [ "$window_x" -gt 100 ]; then  # a captured pointer stays in the window
    sleep 0.3
    xdotool mousemove 50 $((H / 2))
    sleep 0.3
    [ "$(pointer_x)" -ge "$window_x" ] || fail "the pointer left the re-attached window ($(pointer_x))"
  fi
  move $((W / 2)) $((H / 2))
  until_shown "the page after re-attaching" 20 page_shown
}

# The same document again, left at page 1: its cache folder serves it at once, the kept page 1 and the
# saved sheet, and nothing in the folder is made anew (LastRead.txt, the kept page, is written at each
# opening). A double-click beside the grid leaves the sheet without picking a page.
cache_listing() { ls -l --time-style=+%s.%N "$cache" | grep -v ' LastRead\.txt$'; }
reopen_from_cache() {
  local before after
  begin_step "key-home-before-reopening"
  xdotool key Home
  until_shown "page 1 after Home" 20 page_matches "$fitted_shot"
  before=$(cache_listing) || fail "cannot list the cache folder $cache"
  begin_step "toolbar-open-again"
  move "$open_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "cached-page-1"
  move $((W / 3)) $((H / 2))
  until_shown "page 1 from the cache" 20 eval 'toolbar_hidden && page_matches "$fitted_shot"'
  after=$(cache_listing)
  [ "$before" = "$after" ] || fail "the cache folder changed on reopening: $(diff <(echo "$before") <(echo "$after") | tr '\n' ' ')"

  begin_step "toolbar-thumbnails-cached"
  move "$thumbs_x" "$button_y"
  until_shown "the tool bar with the sheet ready" 20 toolbar_shown
  click
  begin_step "cached-sheet"
  local gap=$((sheet_w - columns * cell_w))
  [ "$gap" -ge 20 ] || fail "the sheet leaves no room beside its grid ($gap pixels)"
  move $((W / 2 - sheet_w / 2 + columns * cell_w + gap / 2)) $((H / 2))
  until_shown "the saved sheet" 20 page_differs_from "$fitted_shot" 5
  xdotool click --repeat 2 --delay 60 1
  begin_step "sheet-left"
  until_shown "page 1 after leaving the sheet" 20 page_matches "$fitted_shot"
}

exit_program() {
  begin_step "toolbar-exit"
  move "$exit_x" "$button_y"
  until_shown "the tool bar" 20 toolbar_shown
  click
  begin_step "exit"
  expect_viewer_ends 30 Exit
  local left
  left=$(pgrep -f -- "$work/" | grep -v "^$$\$" || true)
  [ -z "$left" ] || fail "tool programs still run after Exit: $(ps -o pid=,args= -p "${left//$'\n'/,}")"
}

run_screen() {  # run_screen <name> <desktop WxH> <layout>
  local started=$SECONDS
  "$3"
  set_page_band
  start_screen "$1" "$2"
  check_window
  open_document
  show_information
  turn_pages
  keys_and_wheel
  zoom_and_restore
  pick_thumbnail
  search
  copy_text
  about
  detach_and_reattach
  reopen_from_cache
  exit_program
  stop_screen
  echo "PASS [$1] ${W}x${H} window: $step_number steps in $((SECONDS - started)) s; screenshots in $screen_dir"
}

run_screen portrait 1080x1920 layout_portrait
run_screen landscape 1920x1080 layout_landscape
echo "PASS: both screens, from Open to Exit"
