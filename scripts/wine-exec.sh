#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix on the test display
# (the one wine-session.sh started, else a fresh Xvfb of its own).
. "$(dirname "$0")/wine-env.sh"
if [ -f "$KMX_DISPLAY_FILE" ]; then
  DISPLAY=$(cat "$KMX_DISPLAY_FILE") exec wine "$@"
fi
exec xvfb-run -a wine "$@"
