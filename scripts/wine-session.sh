#!/usr/bin/env bash
# start: a private Xvfb and a persistent wineserver for the project prefix
#        (the prefix is created on first use);
# stop:  ends both.
# Every background process gets /dev/null for its I/O: ctest waits for any
# process that still holds its output pipes.
set -u
. "$(dirname "$0")/wine-env.sh"
mkdir -p "$(dirname "$WINEPREFIX")"

xvfb_alive() {
  [ -f "$KMX_XVFB_PID_FILE" ] && [ -f "$KMX_DISPLAY_FILE" ] &&
    kill -0 "$(cat "$KMX_XVFB_PID_FILE")" 2>/dev/null
}

start_xvfb() {
  xvfb_alive && return 0
  rm -f "$KMX_DISPLAY_FILE"
  local fifo="$WINEPREFIX.display-tmp"
  rm -f "$fifo"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$fifo" </dev/null >/dev/null 2>&1 &
  echo $! > "$KMX_XVFB_PID_FILE"
  for _ in $(seq 100); do
    if [ -s "$fifo" ] && grep -q '^[0-9]' "$fifo"; then
      echo ":$(head -n1 "$fifo")" > "$KMX_DISPLAY_FILE"
      rm -f "$fifo"
      return 0
    fi
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

start() {
  start_xvfb || exit 1
  export DISPLAY=$(cat "$KMX_DISPLAY_FILE")
  mkdir -p "$WINEPREFIX"
  wineserver -p 300 </dev/null >/dev/null 2>&1
  # Also on a prefix that exists: wineboot starts Wine's service processes
  # here, with /dev/null for their I/O, instead of under the first test.
  wineboot -i </dev/null >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/.kmx-ready" ]; then
    # No window manager runs on Xvfb: let Wine draw its own frames, or every
    # hide/close waits about 2 s for a manager that never answers.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.kmx-ready"
  fi
  exit 0
}

stop() {
  wineserver -k </dev/null >/dev/null 2>&1
  if [ -f "$KMX_XVFB_PID_FILE" ]; then
    kill "$(cat "$KMX_XVFB_PID_FILE")" 2>/dev/null
    rm -f "$KMX_XVFB_PID_FILE" "$KMX_DISPLAY_FILE"
  fi
  exit 0
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
