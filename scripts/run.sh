#!/usr/bin/env bash
# Opens the main window under Wine: on $DISPLAY when there is one; otherwise
# on a private Xvfb, where it saves a screenshot and closes the program.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
exe=build/win64/KMXLogCtl.exe

if [ -n "${DISPLAY:-}" ]; then
  mkdir -p "$WINEPREFIX"
  [ -f "$WINEPREFIX/.kmx-ready" ] || wineboot -i >/dev/null 2>&1
  exec wine "$exe"
fi

scripts/wine-session.sh start || exit 1
export DISPLAY=$(cat "$KMX_DISPLAY_FILE")
shot="$KMX_ROOT/build/screenshot.png"
rm -f "$shot"
wine "$exe" </dev/null >/dev/null 2>&1 &
pid=$!
win=""
for _ in $(seq 150); do
  win=$(xdotool search --onlyvisible --name 'Logging Control' 2>/dev/null | head -n1)
  [ -n "$win" ] && break
  sleep 0.2
done
status=0
if [ -n "$win" ]; then
  sleep 1
  import -window "$win" "$shot"
  xdotool key --window "$win" Escape 2>/dev/null
else
  echo "The main window did not appear." >&2
  status=1
fi
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null
scripts/wine-session.sh stop
if [ -f "$shot" ]; then
  echo "Screenshot of the main window: $shot"
fi
exit $status
