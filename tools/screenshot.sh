#!/usr/bin/env bash
# Makes docs/screenshot.png: starts the editor under Xvfb with the shipped example,
# shows the first section's keys and takes a picture of the window. Needs xvfb,
# xdotool and imagemagick (Debian: xvfb xdotool imagemagick) and a build in build/
# (tools/setup.sh makes one). Arguments: another INI file to show instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
file="${1:-$here/examples/example.ini}"
out="$here/docs/screenshot.png"
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing" >&2; exit 1; }
done
[[ -x "$build/src/tarnwick" ]] || { echo "screenshot.sh: build first (tools/setup.sh)" >&2; exit 1; }
mkdir -p "$here/docs"
# A copy in a short, neutral place: the status bar shows the full path.
demo="${TMPDIR:-/tmp}/tarnwick-demo"
mkdir -p "$demo"
cp "$file" "$demo/$(basename "$file")"
file="$demo/$(basename "$file")"

export TARNWICK_BIN="$build/src/tarnwick" TARNWICK_FILE="$file" TARNWICK_OUT="$out"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  export LANG=C.UTF-8
  "$TARNWICK_BIN" "$TARNWICK_FILE" &
  pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name "^Tarnwick$" | head -n 1)
  sleep 1
  # Select the first section with the keyboard, then its first key with the mouse.
  xdotool windowfocus --sync "$wid"
  xdotool key --window "$wid" Down
  sleep 0.5
  xdotool mousemove --window "$wid" 260 70 click 1
  sleep 0.5
  import -window "$wid" "$TARNWICK_OUT"
'
echo "Wrote $out"
