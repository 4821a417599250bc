# Sourced by the other scripts: one project-local Wine prefix, quiet, without
# Mono/Gecko prompts, never the user's own ~/.wine. No menu builder either:
# shortcuts that installers make in the prefix stay out of the Linux menus.
KMX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${KMX_WINEPREFIX:-$KMX_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
KMX_DISPLAY_FILE="$WINEPREFIX.display"
KMX_XVFB_PID_FILE="$WINEPREFIX.xvfb-pid"
