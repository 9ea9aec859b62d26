#!/usr/bin/env bash
# Builds the program and runs it under Wine.
source "$(dirname "$0")/common.sh"
ensure_packages
build_all
echo "Built $BUILD/quorvel.exe."
echo "The program has no windows yet: it starts and ends at once."
ensure_display
ensure_wine_template
[ -d "$BUILD/wine-run" ] || fresh_prefix "$BUILD/wine-run"
WINEPREFIX="$BUILD/wine-run" wine "$BUILD/quorvel.exe" "$@"
