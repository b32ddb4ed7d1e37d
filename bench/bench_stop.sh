#!/usr/bin/env bash
# How the wait window answers Esc during a comparison in the real window
# under Xvfb: for each delay after F5, whether Esc stopped the run (the
# store's run log unchanged) or the run went on to its end, and how long
# after the key the wait window went.
#   bench/bench_stop.sh FLDCMPR TREE [STEP_MS [RUNS]]
# TREE holds one/ and two/ (from make-trees). The delays go from 0 in steps
# of STEP_MS (default 50) up to the run's own length plus 100 ms. Needs
# xvfb, xdotool and sqlite3.
set -euo pipefail
bin=$1 tree=$2 step=${3:-50} runs=${4:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin/usData" "$work/home"
cp "$bin" "$work/bin/FldCmpr"
printf '<運用>\r\n   <画面>\r\n      <ROOT1>%s</ROOT1>\r\n      <PATH1>%s</PATH1>\r\n      <ROOT2>%s</ROOT2>\r\n      <PATH2>%s</PATH2>\r\n   </画面>\r\n</運用>' \
    "$tree/one" "$tree/one" "$tree/two" "$tree/two" > "$work/bin/usData/User.xml"

cat > "$work/drive.sh" <<'EOS'
set -u
work=$1 step=$2 runs=$3
now() { date +%s%N; }
latest() { sqlite3 "$work/bin/usData/Cmpr.mdb" 'Select Coalesce(Max(nRun),0) From tbRun' 2>/dev/null || echo 0; }
waiting() { xdotool search --onlyvisible --name '^Form1$' >/dev/null 2>&1; }
main_win() { xdotool search --name '指定ﾌｫﾙﾀﾞ内のﾌｧｲﾙの比較' | head -1; }
settle() { # closes a message box, if one came up, and waits for quiet
  sleep 0.3
  for w in $(xdotool search --onlyvisible --name '^FldCmpr$' 2>/dev/null); do
    xdotool windowfocus --sync "$w" key Return; sleep 0.2
  done
  xdotool windowfocus --sync "$(main_win)"
}
compare() { xdotool windowfocus --sync "$(main_win)" key F5; }
HOME="$work/home" "$work/bin/FldCmpr" >/dev/null 2>&1 &
pid=$!
sleep 3
# two whole runs: the cache warm, the store made, the run's length known
for i in 1 2; do
  compare; t0=$(now); sleep 0.05
  while waiting; do :; done
  full=$(( ($(now) - t0) / 1000000 )); settle
done
echo "whole run: $full ms"
echo "delay_ms stopped esc_to_gone_ms"
for r in $(seq "$runs"); do
  for d in $(seq 0 "$step" $((full + 100))); do
    before=$(latest)
    compare; sleep "$(awk "BEGIN{print $d/1000}")"
    t1=$(now); xdotool key Escape
    while waiting; do :; done
    gone=$(( ($(now) - t1) / 1000000 ))
    after=$(latest)
    echo "$d $([ "$after" = "$before" ] && echo yes || echo no) $gone"
    settle
  done
done
kill "$pid"; wait "$pid" 2>/dev/null || true
EOS
xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/drive.sh" "$work" "$step" "$runs"
