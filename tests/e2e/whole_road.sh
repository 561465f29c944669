#!/usr/bin/env bash
# The whole road in a real window: the installed program in an X server of its own, driven only
# by input events from outside (xdotool), as a user would: F2 and a typed path, the eight clicks
# of the four lines, Area and two clicks, Griglia, Raddrizza, F3 and a name, then the wheel in a
# smaller window. The saved file must be byte for byte what vesta-rectify writes for the same
# clicks. A screenshot of each stage is kept in the build folder.
#   whole_road.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
for tool in Xvfb xdotool import convert; do
  command -v "$tool" > /dev/null || { echo "missing $tool: run scripts/install-deps.sh"; exit 1; }
done

work=$(mktemp -d)
shots="$build/e2e-screens"
rm -rf "$shots"
mkdir -p "$shots"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

# The server takes a display no other is using and tells which once it is ready: a number
# chosen here could be another run's.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
  kill "${vesta:-}" "$xvfb" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -1 "$work/display")
[ "$display" != ":" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation > /dev/null 2>&1 && break; sleep 0.1; done

"$prefix/bin/vesta" > "$work/vesta.log" 2>&1 &
vesta=$!
window=$(xdotool search --sync --name '^VESTA 3.04$' | head -1)
xdotool windowfocus --sync "$window" 2> /dev/null || true
sleep 1

shot() { import -window root "$shots/$1.png"; }
fail() { echo "FAIL: $*"; shot failure; cat "$work/vesta.log"; exit 1; }
# Waits until the window's title starts with the given text.
wait_title() {
  for _ in $(seq 100); do
    case "$(xdotool getwindowname "$window")" in "$1"*) return 0 ;; esac
    sleep 0.1
  done
  fail "the title never became '$1'"
}
# Waits for a dialog of the program to appear over the main window, then gives it the keyboard.
wait_dialog() {
  for _ in $(seq 100); do
    dialog=$(xdotool search --onlyvisible --class vesta 2> /dev/null | grep -v "^$window$" | tail -1 || true)
    [ -n "$dialog" ] && { xdotool windowfocus "$dialog" 2> /dev/null || true; sleep 0.3; return 0; }
    sleep 0.1
  done
  fail "no dialog"
}
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.15; }
# A key for the main window: without a window manager the keyboard goes where it is sent.
key() { xdotool windowfocus --sync "$window" 2> /dev/null || true; xdotool key "$1"; }

sample="$prefix/share/vesta/samples/facciata_ruotata.bmp"
# What the window must save, from the batch tool and the same clicks.
"$prefix/bin/vesta-rectify" "$sample" "$work/batch.bmp" --h1 234,174,615,135 \
  --h2 201,352,602,379 --v1 163,448,216,174 --v2 635,525,651,129 --area 200,150,620,500 > /dev/null
expected=$(stat -c %s "$work/batch.bmp")
shot 0-start

# 1. F2 and the sample's path typed into the Open dialog.
key F2
wait_dialog
xdotool type --delay 2 "$sample"
xdotool key Return
wait_title "Raddrizzamento di"
sleep 0.5
shot 1-opened

# The photograph's top-left pixel on the screen, from the red square drawn at (20, 40)-(120, 140).
read -r top left < <(convert "$shots/1-opened.png" -crop 200x260+0+0 txt:- |
  awk -F'[,: ()]+' '/#FF0000/ {n[$2]++; if (!($2 in m) || $1 < m[$2]) m[$2] = $1}
                    END {for (y in n) if (n[y] >= 100) print y, m[y]}' | sort -n | head -1)
[ -n "${top:-}" ] || fail "no red square on the opened photograph"
ox=$((left - 20))
oy=$((top - 40))
pic() { click $((ox + $1)) $((oy + $2)); }

# 2. The four lines, as the sample's notes give them.
for p in 234,174 615,135 201,352 602,379 163,448 216,174 635,525 651,129; do pic "${p%,*}" "${p#*,}"; done
sleep 0.3
shot 2-lines

# The panel's buttons, from their design places: the panel's left edge is the screen width
# less the panel and the vertical bar, its top 10 pixels below the menu bar.
panel_x=$((1280 - 209 - 16 + ox))
panel_y=$((10 + oy))
button() { click $((panel_x + $1)) $((panel_y + $2)); }

# 3. Area and two clicks, then the grid.
button 176 164 # the area
pic 200 150
pic 620 500
button 120 164 # the grid
sleep 0.3
shot 3-area-and-grid

# 4. Raddrizza; the result is on show once the scratch file is complete.
button 148 92
for _ in $(seq 300); do
  scratch=$(find "$HOME" -name 'vesta-*.bmp' 2> /dev/null | head -1)
  [ -n "$scratch" ] && [ "$(stat -c %s "$scratch")" -ge "$expected" ] && break
  sleep 0.1
done
[ -n "$scratch" ] || fail "no rectified image"
sleep 1
shot 4-rectified

# 5. F3 and a name.
key F3
wait_dialog
xdotool type --delay 2 "$work/facciata"
xdotool key Return
for _ in $(seq 50); do [ -f "$work/facciata.BMP" ] && break; sleep 0.1; done
[ -f "$work/facciata.BMP" ] || fail "nothing saved"
sleep 0.3
shot 5-saved

# 6. A window smaller than the result: the bars come to its edges and the wheel scrolls it.
xdotool windowsize "$window" 640 480
sleep 0.5
shot 6-small-window
xdotool mousemove $((ox + 200)) $((oy + 200)) click 5
sleep 0.5
shot 7-wheel
view() { convert "$shots/$1.png" -crop 380x400+"$ox"+"$oy" +repage ppm:- | md5sum; }
[ "$(view 6-small-window)" != "$(view 7-wheel)" ] || fail "the wheel did not scroll the result"

cmp "$work/facciata.BMP" "$work/batch.bmp" || fail "the window saved another file than vesta-rectify"
echo "whole road: 1 passed, 0 failed"
