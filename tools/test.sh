#!/usr/bin/env bash
# Builds everything and runs every test (unit tests and end-to-end tests under Wine).
source "$(dirname "$0")/common.sh"
ensure_packages
build_all
ensure_display
ensure_wine_template
fresh_prefix "$BUILD/wine-unit"
export WINEPREFIX="$BUILD/wine-unit"
start_wineserver "$WINEPREFIX"
status=0
ctest --test-dir "$BUILD" --output-on-failure -j2 "$@" || status=$?
WINEPREFIX="$BUILD/wine-unit" wineserver -k 2>/dev/null || true
exit $status
