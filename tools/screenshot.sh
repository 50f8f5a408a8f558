#!/usr/bin/env bash
# Makes the README's pictures under Xvfb with the shipped example:
#   docs/screenshot.png             the main window, the first section's keys shown
#   docs/screenshot-editor.png      the value editor open on a path, with its "..." button
#   docs/screenshot-properties.png  the properties dialog
# Needs xvfb, xdotool and imagemagick (Debian: xvfb xdotool imagemagick) and a build in
# build/ (tools/setup.sh makes one). Arguments: another INI file to show instead; its
# second section's first key should then hold a path for the editor's picture.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
file="${1:-$here/examples/example.ini}"
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing" >&2; exit 1; }
done
[[ -x "$build/src/tarnwick" ]] || { echo "screenshot.sh: build first (tools/setup.sh)" >&2; exit 1; }
mkdir -p "$here/docs"
# A copy in a short, neutral place: the status bar and the properties show the full path.
demo="${TMPDIR:-/tmp}/tarnwick-demo"
mkdir -p "$demo"
cp "$file" "$demo/$(basename "$file")"
file="$demo/$(basename "$file")"

export TARNWICK_BIN="$build/src/tarnwick" TARNWICK_FILE="$file" TARNWICK_DOCS="$here/docs"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  export LANG=C.UTF-8
  "$TARNWICK_BIN" "$TARNWICK_FILE" &
  pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT

  # Xvfb runs no window manager, so a dialog has no frame: it is pictured over the main
  # window (the part of the screen that holds both), with a drawn edge of its own.
  shot() { # OUT MAIN [DIALOG]
    local out=$1 left=100000 top=100000 right=0 bottom=0 X Y WIDTH HEIGHT SCREEN WINDOW w
    shift
    for w in "$@"; do
      eval "$(xdotool getwindowgeometry --shell "$w")"
      ((X < left)) && left=$X; ((Y < top)) && top=$Y
      ((X + WIDTH > right)) && right=$((X + WIDTH)); ((Y + HEIGHT > bottom)) && bottom=$((Y + HEIGHT))
    done
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out"
    if (($# > 1)); then # X, Y, WIDTH and HEIGHT are the last window, the dialog
      convert "$out" -fill none -stroke "#404040" -strokewidth 2 \
        -draw "rectangle $((X - left)),$((Y - top)) $((X - left + WIDTH - 1)),$((Y - top + HEIGHT - 1))" "$out"
    fi
    echo "Wrote $out"
  }
  dialog() { # TITLE: waits until the dialog is shown and prints its window
    local w
    w=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    [[ -n $w ]] || { echo "screenshot.sh: no dialog \"$1\" came up" >&2; exit 1; }
    sleep 0.7
    echo "$w"
  }
  # Keys go to the focused window through XTEST: Qt ignores keys sent to a window.
  press() { # WINDOW KEY
    xdotool windowfocus --sync "$1"
    xdotool key "$2"
    sleep 0.5
  }
  main=$(timeout 20 xdotool search --sync --onlyvisible --name "^Tarnwick$" | head -n 1)
  sleep 1
  # The first section with the keyboard, then its first key with the mouse.
  press "$main" Down
  xdotool mousemove --window "$main" 260 70 click 1
  sleep 0.5
  shot "$TARNWICK_DOCS/screenshot.png" "$main"

  # The second section (Paths in the example), then a double click on its first key.
  xdotool mousemove --window "$main" 80 69 click 1
  sleep 0.5
  xdotool mousemove --window "$main" 260 56 click --repeat 2 --delay 80 1
  editor=$(dialog "查看/修改数值")
  shot "$TARNWICK_DOCS/screenshot-editor.png" "$main" "$editor"
  # The editor takes no Escape: its 取消 button, 4200,2400 twips in, 1095x375 large.
  xdotool mousemove --window "$editor" 316 172 click 1
  sleep 0.5

  press "$main" ctrl+p
  properties=$(dialog "属性")
  shot "$TARNWICK_DOCS/screenshot-properties.png" "$main" "$properties"
  press "$properties" Escape
'
