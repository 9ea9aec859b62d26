#!/usr/bin/env bash
# Builds the Windows release into dist/: the per-user installer quorvel-VERSION-win64.msi and
# the portable quorvel-VERSION-win64.zip, both holding the same build/quorvel.exe.
#
#   ./tools/release.sh                               build, then package into dist/
#   ./tools/release.sh package BUILD OUT [VERSION]   package BUILD/quorvel.exe into OUT only
#
# VERSION defaults to the one of the project line in CMakeLists.txt, the only place it is
# written; the tests pass a higher one to build an upgrade.
source "$(dirname "$0")/common.sh"

project_version() {
    sed -n 's/^project(quorvel VERSION \([0-9][0-9.]*\)[ )].*/\1/p' "$ROOT/CMakeLists.txt"
}

fail() {
    echo "release: $*" >&2
    exit 1
}

# package BUILD OUT [VERSION]
package() {
    local build=$1 out=$2 version=${3:-$(project_version)}
    [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] ||
        fail "no version of the form X.Y.Z (project line of CMakeLists.txt: '$version')"
    local exe="$build/quorvel.exe" icon="$ROOT/resources/quorvel.ico"
    [ -f "$exe" ] || fail "$exe is missing: build first"
    [ -f "$icon" ] || fail "$icon is missing: the installer's shortcut and entry need it"
    mkdir -p "$out"
    out="$(cd "$out" && pwd)"
    local name="quorvel-$version-win64"

    # wixl looks up source files relative to its working folder only.
    local stage
    stage="$(mktemp -d)"
    cp -p "$exe" "$stage/quorvel.exe"
    cp "$icon" "$stage/quorvel.ico"
    cp -p "$ROOT/resources/LEEME.txt" "$stage/LEEME.txt"
    local status=0
    (cd "$stage" && wixl -a x64 -D Version="$version" -D ExeFile=quorvel.exe \
        -D IconFile=quorvel.ico -o "$out/$name.msi" "$ROOT/resources/quorvel.wxs") \
        2>"$stage/wixl.txt" || status=$?
    # wixl notes every shortcut that is not advertised as "unimplemented"; it is written.
    grep -v 'builder.vala:[0-9]*: unimplemented' "$stage/wixl.txt" >&2 || true
    if [ $status -eq 0 ]; then
        rm -f "$out/$name.zip"
        (cd "$stage" && zip -q -X "$out/$name.zip" quorvel.exe LEEME.txt) || status=$?
    fi
    rm -rf "$stage"
    [ $status -eq 0 ] || fail "packaging failed"
    echo "$out/$name.msi"
    echo "$out/$name.zip"
}

if [ "${1:-}" = package ]; then
    [ $# -ge 3 ] || fail "usage: $0 package BUILD OUT [VERSION]"
    package "$2" "$3" "${4:-}"
    exit 0
fi
[ $# -eq 0 ] || fail "usage: $0 [package BUILD OUT [VERSION]]"
ensure_packages
build_all
package "$BUILD" "$ROOT/dist"
