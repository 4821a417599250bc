#!/usr/bin/env bash
# Opens the main window under Wine: on $DISPLAY when there is one; otherwise
# on a private Xvfb, where it saves a screenshot and closes the program.
set -u
cd "$(dirname "$0")/.."
. scripts/window-lib.sh

if [ -n "${DISPLAY:-}" ]; then
  mkdir -p "$WINEPREFIX"
  [ -f "$WINEPREFIX/.kmx-ready" ] || wineboot -i >/dev/null 2>&1
  exec wine build/win64/KMXLogCtl.exe
fi

shot="$KMX_ROOT/build/screenshot.png"
rm -f "$shot"
status=0
if start_program_on_xvfb; then
  import -window "$KMX_WINDOW" "$shot" || status=1
else
  status=1
fi
stop_program
[ -f "$shot" ] && echo "Screenshot of the main window: $shot"
exit $status
