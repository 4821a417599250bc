#!/usr/bin/env bash
# Pictures of the main window for the README, taken on the private Xvfb:
# docs/window-collapsed.png and, after "Advanced >>", docs/window-expanded.png.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
scripts/wine-session.sh start || exit 1
export DISPLAY=$(cat "$KMX_DISPLAY_FILE")
mkdir -p docs
wine build/win64/KMXLogCtl.exe </dev/null >/dev/null 2>&1 &
pid=$!
win=""
for _ in $(seq 150); do
  win=$(xdotool search --onlyvisible --name 'Logging Control' 2>/dev/null | head -n1)
  [ -n "$win" ] && break
  sleep 0.2
done
status=1
if [ -n "$win" ]; then
  sleep 1
  import -window "$win" docs/window-collapsed.png
  # "Advanced >>" sits at the same place relative to the collapsed window
  # whatever the font scale: about 91 % across and 89 % down.
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool mousemove --window "$win" $((WIDTH * 911 / 1000)) $((HEIGHT * 889 / 1000)) click 1
  sleep 1
  import -window "$win" docs/window-expanded.png
  xdotool key --window "$win" Escape 2>/dev/null
  status=0
  echo "Saved docs/window-collapsed.png and docs/window-expanded.png"
else
  echo "The main window did not appear." >&2
fi
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null
scripts/wine-session.sh stop
exit $status
