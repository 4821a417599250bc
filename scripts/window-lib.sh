# Sourced by run.sh and screenshots.sh: starts the program on the private
# Xvfb and waits for its main window; stops it again.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# Sets KMX_PID and KMX_WINDOW (empty when the window did not appear in 30 s).
start_program_on_xvfb() {
  "$KMX_ROOT/scripts/wine-session.sh" start || return 1
  export DISPLAY=$(cat "$KMX_DISPLAY_FILE")
  wine "$KMX_ROOT/build/win64/KMXLogCtl.exe" </dev/null >/dev/null 2>&1 &
  KMX_PID=$!
  KMX_WINDOW=""
  for _ in $(seq 150); do
    KMX_WINDOW=$(xdotool search --onlyvisible --name 'Logging Control' 2>/dev/null | head -n1)
    [ -n "$KMX_WINDOW" ] && break
    sleep 0.2
  done
  if [ -z "$KMX_WINDOW" ]; then
    echo "The main window did not appear." >&2
    return 1
  fi
  sleep 1  # let it finish painting
}

# Escape closes the window (Cancel: nothing is written).
stop_program() {
  [ -n "${KMX_WINDOW:-}" ] && xdotool key --window "$KMX_WINDOW" Escape 2>/dev/null
  for _ in $(seq 50); do kill -0 "$KMX_PID" 2>/dev/null || break; sleep 0.1; done
  kill "$KMX_PID" 2>/dev/null
  "$KMX_ROOT/scripts/wine-session.sh" stop
}
