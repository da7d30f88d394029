#!/usr/bin/env bash
# Rewrites packaging/libquilvet1/symbols from a built libQuilvet.so.1, after a
# deliberate change of the library's binary face (a new function, or a removal
# that comes with a new SONAME). The package test compares the built library
# with this file and fails on any difference.
#
#   update-quilvet-symbols.sh [BUILD_DIR]     (default build/dev)
set -euo pipefail
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$SOURCE/build/dev}
VERSION=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' "$SOURCE/CMakeLists.txt")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/usr/lib"
cp -P "$BUILD"/lib/libQuilvet.so.1* "$WORK/usr/lib/"
# Symbols already listed keep the version that brought them.
dpkg-gensymbols -q -plibquilvet1 -v"$VERSION" -P"$WORK" -I"$SOURCE/packaging/libquilvet1/symbols" \
    -O"$SOURCE/packaging/libquilvet1/symbols"
# A symbol the library lost leaves the file (dpkg-gensymbols keeps it, or a
# #MISSING comment for it): after a release, losing one breaks the ABI of
# libQuilvet.so.1.
nm -D --defined-only --format=posix "$WORK/usr/lib/libQuilvet.so.1" | cut -d' ' -f1 >"$WORK/exported"
awk 'NR == FNR { exported[$1] = 1; next }
     /^ / { name = substr($1, 1, index($1, "@") - 1); if (!(name in exported)) next }
     /#MISSING/ { next }
     { print }' "$WORK/exported" "$SOURCE/packaging/libquilvet1/symbols" >"$WORK/symbols"
cp "$WORK/symbols" "$SOURCE/packaging/libquilvet1/symbols"
echo "packaging/libquilvet1/symbols: $(grep -c '@Base' "$SOURCE/packaging/libquilvet1/symbols") symbols"
