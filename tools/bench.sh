#!/usr/bin/env bash
# Builds everything and runs quorvel-bench.exe under Wine (a private prefix, a virtual X server
# when there is no display). Takes about three minutes: two of them watch the idle program.
# Arguments go to the benchmark: --frames N, --runs N, --idle-seconds N.
source "$(dirname "$0")/common.sh"
ensure_packages
build_all >/dev/null
ensure_display
ensure_wine_template
fresh_prefix "$BUILD/wine-bench"
export WINEPREFIX="$BUILD/wine-bench"
start_wineserver "$WINEPREFIX"
status=0
wine "$BUILD/quorvel-bench.exe" "$@" 2>/dev/null || status=$?
wineserver -k 2>/dev/null || true
exit $status
