#!/usr/bin/env bash
# Launch to page 1 visible in a real window (Xvfb 1080x1920), Pagewell against Debian's MuPDF viewer
# (mupdf -r 120) on the same file in the same run: a cached document, a new one (a fresh copy, so a
# cache folder of its own), and the long generated document when bench_document_memory has made it.
# The screen is read through Xlib every 2 ms; a page counts as visible once most of three rows across
# the middle of the screen are white. Prints "name: value" lines; each case is the median of 5 runs.
# Both viewers start as users start them, with no SDL variable set: Pagewell's renderer is its own
# choice.
# Both viewers run as an ordinary user, as on a desktop: started as root, the bench runs them as
# "nobody" with a home folder of its own (root's processes differ: Xlib keeps no parsed Compose table
# for root, and the tool programs' raised priority is granted to root alone). The same figures as
# root follow with the suffix _as_root.
# Usage: launch_vs_mupdf.sh <build dir> <corpus dir>
set -uo pipefail

build=$(cd "${1:?usage: launch_vs_mupdf.sh <build dir> <corpus dir>}" && pwd) || exit 1
corpus=$(cd "${2:?usage: launch_vs_mupdf.sh <build dir> <corpus dir>}" && pwd) || exit 1
program="$build/pagewell"

skip() { echo "launch_vs_mupdf_skipped: 1  # $*"; exit 0; }
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v mupdf >/dev/null || skip "Debian's mupdf viewer is not installed"
[ -x "$program" ] || skip "no program at $program"
source "$(dirname "$0")/../tests/scripts/support/x_session.sh"
fail() { skip "$*"; }
x_work launch
start_x 1080x1920 -br
chmod 755 "$work"
cd "$build" || skip "cannot enter $build"  # the cache is beside the program, or in this folder

# Starts the command, waits until a page is visible, ends the command; prints the milliseconds.
cat >"$work/until_visible.py" <<'PY'
import ctypes, os, signal, subprocess, sys, time

class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]

x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XGetImage.restype = ctypes.POINTER(XImage)
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                        ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x.XFree.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
root = x.XDefaultRootWindow(display)

def white_share():
    white = total = 0
    for row in (900, 960, 1020):
        image = x.XGetImage(display, root, 300, row, 480, 1, ctypes.c_ulong(-1).value, 2)
        if not image:
            return 0.0
        step = image.contents.bits_per_pixel // 8
        data = image.contents.data
        for i in range(0, 480 * step, step * 4):
            total += 1
            if data[i] > 200 and data[i + 1] > 200 and data[i + 2] > 200:
                white += 1
        x.XFree(ctypes.cast(data, ctypes.c_void_p))
        x.XFree(ctypes.cast(image, ctypes.c_void_p))
    return white / total if total else 0.0

if white_share() > 0.5:
    sys.exit("the screen is white before the launch")
start = time.monotonic()
process = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           start_new_session=True)
seen = None
while time.monotonic() - start < 60 and process.poll() is None:
    if white_share() > 0.5:
        seen = time.monotonic()
        break
    time.sleep(0.002)
os.killpg(process.pid, signal.SIGKILL)
process.wait()
if seen is None:
    sys.exit("no page became visible")
print(f"{(seen - start) * 1000:.1f}")
PY

# How a viewer is started (user: as "nobody" when the bench runs as root) and where Pagewell's cache
# folders then are.
as=()
cache_root="$build/cache"
suffix=""
run_as() {
  if [ "$1" = user ] && [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1 && command -v setpriv >/dev/null; then
    local home="$work/home"
    mkdir -p "$home/cache"
    chown -R nobody "$home"
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$home" XDG_CACHE_HOME="$home/cache")
    cache_root="$home/cache/pagewell"
    suffix=""
  else
    as=()
    cache_root="$build/cache"
    suffix=$([ "$(id -u)" -eq 0 ] && echo _as_root)
  fi
}

# The median of five launches of the command; a failed launch gives -1.
median_ms() {
  local times=() t
  for _ in 1 2 3 4 5; do
    t=$(python3 "$work/until_visible.py" "${as[@]}" "$@") || t=-1
    times+=("$t")
    sleep 0.3
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

ratio() { python3 -c "import sys; a, b = float(sys.argv[1]), float(sys.argv[2]); print(f'{a / b:.2f}' if a > 0 and b > 0 else -1)" "$1" "$2"; }

# A document converted once through the viewer, so that its cache folder is complete.
fill_cache() {
  local pdf=$1 name
  name=$(basename "$pdf" | tr ' ' _)
  "${as[@]}" "$program" "$pdf" >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 1800); do
    compgen -G "$cache_root/*_$name/thumb_sheet.png" >/dev/null && compgen -G "$cache_root/*_$name/TextualData.txt" >/dev/null && break
    sleep 0.5
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

# One line per figure: Pagewell's time, MuPDF's time, and their ratio.
compare() {
  local name=$1 pdf=$2 fresh=$3 ours theirs
  if [ "$fresh" = new ]; then
    ours=$(
      for _ in 1 2 3 4 5; do
        copy="$work/new-$RANDOM-$(basename "$pdf")"
        cp "$pdf" "$copy"
        chmod 644 "$copy"
        python3 "$work/until_visible.py" "${as[@]}" "$program" "$copy" || echo -1
        rm -rf "$cache_root/"*"_$(basename "$copy")" "$copy"
        sleep 0.3
      done | sort -n | sed -n 3p
    )
  else
    ours=$(median_ms "$program" "$pdf")
  fi
  theirs=$(median_ms mupdf -r 120 "$pdf")
  echo "launch_${name}_pagewell_ms$suffix: $ours"
  echo "launch_${name}_reference_mupdf_ms$suffix: $theirs"
  echo "launch_${name}_ratio_to_mupdf$suffix: $(ratio "$ours" "$theirs")"
}

manual="$corpus/manual-gnuplot.pdf"
long="$build/bench/numbered-2415.pdf"
for who in user root; do
  [ "$who" = root ] && [ "$(id -u)" -ne 0 ] && break
  run_as "$who"
  fill_cache "$manual"
  compare cached_311_pages "$manual" cached
  compare new_311_pages "$manual" new
  if [ -s "$long" ]; then
    compare new_2415_pages "$long" new
  fi
done
