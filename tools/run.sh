#!/usr/bin/env bash
# Builds the program and runs it under Wine. With a display it runs there until you close it;
# without one it runs under a virtual X server, saves a screenshot and ends the program.
source "$(dirname "$0")/common.sh"
ensure_packages
build_all
ensure_wine_template
[ -d "$BUILD/wine-run" ] || fresh_prefix "$BUILD/wine-run"
export WINEPREFIX="$BUILD/wine-run"

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1 </dev/null; then
    exec wine "$BUILD/quorvel.exe" "$@"
fi

ensure_display
wine "$BUILD/quorvel.exe" "$@" >/dev/null 2>&1 &
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^(Calendario quorvel dast — Vosk Tarnelline|Quorvel dast)$' \
        >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 2
shot="$BUILD/screenshot.png"
xwd -root -silent | convert xwd:- "$shot"
echo "No display here: the program ran under Xvfb ($DISPLAY). Screenshot: $shot"
wineserver -k 2>/dev/null || true
