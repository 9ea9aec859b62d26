# Shared by the run and test commands: installs what is missing, finds a display, and keeps one
# Wine prefix template per machine that test cases copy.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
PACKAGES="cmake ninja-build g++ g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xdotool \
x11-apps faketime imagemagick python3 python3-pil wixl zip"

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

ensure_packages() {
    local missing=()
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    else
        echo "Missing packages. Run as root:"
        echo "  apt-get install -y ${missing[*]}"
        exit 1
    fi
}

build_all() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$BUILD"
}

# A virtual X server when there is no display.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1 </dev/null; then return 0; fi
    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    done
    echo "could not start Xvfb" >&2
    exit 1
}

# One booted prefix per machine; every user of Wine copies it (cp -a takes about a second).
WINE_TEMPLATE="${QUORVEL_WINE_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvel/wine-template}"
export QUORVEL_WINE_TEMPLATE="$WINE_TEMPLATE"
ensure_wine_template() {
    [ -f "$WINE_TEMPLATE/system.reg" ] && [ -f "$WINE_TEMPLATE/.booted" ] && return 0
    rm -rf "$WINE_TEMPLATE"
    mkdir -p "$(dirname "$WINE_TEMPLATE")"
    echo "Making the Wine prefix template (once per machine)..."
    WINEPREFIX="$WINE_TEMPLATE" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$WINE_TEMPLATE" wineserver -w
    rm -f "$WINE_TEMPLATE/wineserver"
    touch "$WINE_TEMPLATE/.booted"
}

# fresh_prefix DIR: a private copy of the template.
fresh_prefix() {
    rm -rf "$1"
    cp -a "$WINE_TEMPLATE" "$1"
    rm -f "$1/wineserver"
}

# start_wineserver DIR: one persistent wineserver for the prefix before any parallel Wine
# process starts; two first processes racing to start it can leave one without its socket.
start_wineserver() {
    WINEPREFIX="$1" wineserver -p
    WINEPREFIX="$1" wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}
