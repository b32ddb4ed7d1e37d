#!/usr/bin/env bash
# Makes docs/screenshot.png: the program under Xvfb with a comparison of two
# small sample trees in its grid. Needs xvfb, xdotool and imagemagick.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/プロジェクト/旧版/src/lib" "$work/プロジェクト/新版/src/lib"
cp "$top/build/src/FldCmpr" "$work/bin/"
old="$work/プロジェクト/旧版" new="$work/プロジェクト/新版"
for f in README.md src/main.cpp src/lib/util.cpp src/lib/util.h 設計書.txt; do
  echo "$f" > "$old/$f"; echo "$f" > "$new/$f"
  touch -d '2024-05-01 10:00' "$old/$f" "$new/$f"
done
head -c 123456 /dev/zero > "$new/src/lib/util.cpp"; touch -d '2024-06-02 09:30' "$new/src/lib/util.cpp"
touch -d '2024-06-03 18:45' "$old/設計書.txt"
echo old > "$old/src/old_api.h"; touch -d '2023-12-24 08:00' "$old/src/old_api.h"
echo new > "$new/src/new_api.h"; touch -d '2024-06-01 12:00' "$new/src/new_api.h"
mkdir -p "$work/bin/usData"
printf '%s' "<?xml version='1.0' encoding='UTF-8' ?>
<運用>
   <画面>
      <LEFT>300</LEFT>
      <TOP>300</TOP>
      <WIDTH>20850</WIDTH>
      <HEIGHT>8700</HEIGHT>
      <ROOT1>$work/プロジェクト</ROOT1>
      <PATH1>$old</PATH1>
      <ROOT2>$work/プロジェクト</ROOT2>
      <PATH2>$new</PATH2>
      <DIR_WD>4200</DIR_WD>
      <DIR_HI>3600</DIR_HI>
   </画面>
</運用>" > "$work/bin/usData/User.xml"
xvfb-run -a -s "-screen 0 1420x640x24" bash -c "
  '$work/bin/FldCmpr' & pid=\$!
  sleep 3
  xdotool mousemove 109 27 click 1; sleep 1; xdotool key Down Return; sleep 2; xdotool mousemove 700 600
  import -window root '$top/docs/screenshot.png'
  kill \$pid; wait \$pid || true
"
echo "wrote $top/docs/screenshot.png"
