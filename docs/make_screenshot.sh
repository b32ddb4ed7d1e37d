#!/usr/bin/env bash
# Makes docs/screenshot.png: the program started for the first time under
# Xvfb, two small sample trees picked and compared as a user does. Needs
# xvfb, xdotool and imagemagick, and a build in build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/home" "$work/sample/old/src/lib" "$work/sample/new/src/lib"
cp "$top/build/src/FldCmpr" "$work/bin/"
old="$work/sample/old" new="$work/sample/new"
for f in README.md src/main.cpp src/lib/util.cpp src/lib/util.h 設計書.txt; do
  echo "$f" > "$old/$f"; echo "$f" > "$new/$f"
  touch -d '2024-05-01 10:00' "$old/$f" "$new/$f"
done
head -c 123456 /dev/zero > "$new/src/lib/util.cpp"; touch -d '2024-06-02 09:30' "$new/src/lib/util.cpp"
touch -d '2024-06-03 18:45' "$old/設計書.txt"
echo old > "$old/src/old_api.h"; touch -d '2023-12-24 08:00' "$old/src/old_api.h"
echo new > "$new/src/new_api.h"; touch -d '2024-06-01 12:00' "$new/src/new_api.h"
# A first start: no settings, a fresh home. Each folder is picked with its
# pane's folder button, typed into the folder dialog; then 比較 -> ﾌｫﾙﾀﾞの比較.
xvfb-run -a -s "-screen 0 1100x600x24" env HOME="$work/home" bash -c "
  '$work/bin/FldCmpr' & pid=\$!
  sleep 3
  xdotool mousemove 222 49 click 1; sleep 2; xdotool type --delay 20 '$old'; xdotool key Return; sleep 1
  xdotool mousemove 222 322 click 1; sleep 2; xdotool type --delay 20 '$new'; xdotool key Return; sleep 1
  xdotool mousemove 88 7 click 1; sleep 1; xdotool key Down Return; sleep 2; xdotool mousemove 890 590
  import -window root -crop 900x560+0+0 '$top/docs/screenshot.png'
  kill \$pid; wait \$pid || true
"
echo "wrote $top/docs/screenshot.png"
