#!/usr/bin/env bash
# Builds the program and takes the README's pictures (docs/screenshots/) under Wine.
source "$(dirname "$0")/common.sh"
ensure_packages
build_all >/dev/null
ensure_wine_template
exec /usr/bin/python3 "$ROOT/tools/screenshots.py"
