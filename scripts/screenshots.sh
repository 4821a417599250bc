#!/usr/bin/env bash
# Pictures of the main window for the README, taken on the private Xvfb:
# docs/window-collapsed.png and, after "Advanced >>", docs/window-expanded.png.
set -u
cd "$(dirname "$0")/.."
. scripts/window-lib.sh
mkdir -p docs
status=1
if start_program_on_xvfb; then
  import -window "$KMX_WINDOW" docs/window-collapsed.png
  # "Advanced >>" sits at the same place relative to the collapsed window
  # whatever the font scale: about 91 % across and 89 % down.
  eval "$(xdotool getwindowgeometry --shell "$KMX_WINDOW")"
  xdotool mousemove --window "$KMX_WINDOW" $((WIDTH * 911 / 1000)) $((HEIGHT * 889 / 1000)) click 1
  sleep 1
  import -window "$KMX_WINDOW" docs/window-expanded.png
  status=0
  echo "Saved docs/window-collapsed.png and docs/window-expanded.png"
fi
stop_program
exit $status
