#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# check_kit.sh BUILD_DIR SOURCE_DIR DESIGN COMPONENTS PADS: installs the build into a temporary
# prefix, builds examples/pad-report against the installed kit alone, once with pkg-config and
# once with find_package, and runs both against the installed pcbhost serving DESIGN.
# check_kit.sh --prefix PREFIX SOURCE_DIR ...: the same against files already installed there
# (an unpacked package).
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$1" = "--prefix" ]; then
    prefix=$2
    shift 2
    source=$1 design=$2 components=$3 pads=$4
else
    build=$1 source=$2 design=$3 components=$4 pads=$5
    prefix=$work/prefix
    cmake --install "$build" --prefix "$prefix" >/dev/null
fi
libdir=$(dirname "$(find "$prefix" -name 'libDbx32.so' | head -n 1)")
[ -n "$libdir" ] || { echo "no libDbx32.so installed" >&2; exit 1; }
for f in "$prefix/include/dbx32/Dbx32.h" "$libdir/pkgconfig/dbx32.pc" \
         "$libdir/cmake/Dbx32/Dbx32Config.cmake"; do
    [ -f "$f" ] || { echo "missing from the kit: ${f#$prefix/}" >&2; exit 1; }
done

# Only the installed files: a copy of the example, outside the source tree.
cp -r "$source/examples/pad-report" "$work/src"

PKG_CONFIG_PATH=$libdir/pkgconfig
export PKG_CONFIG_PATH
# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -Werror "$work/src/pad_report.c" $(pkg-config --cflags --libs dbx32) \
    -Wl,-rpath,"$libdir" -o "$work/pad_report_pc"

cmake -S "$work/src" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "$work/cmake-build" >/dev/null

run=$(dirname "$0")/../dbx32/run_with_pcbhost.sh
for program in "$work/pad_report_pc" "$work/cmake-build/pad_report"; do
    "$run" "$prefix/bin/pcbhost" "$design" "$program" >"$work/report"
    cp "$work/report" "$program.report"
    last=$(tail -n 1 "$work/report")
    if [ "$last" != "$components components, $pads pads" ]; then
        echo "$program: unexpected report ending: $last" >&2
        exit 1
    fi
    # Every component line is followed by its pads, each naming a style and a hole or none.
    pad_lines=$(grep -c -E '^  [^ ].* (hole [0-9]+\.[0-9]{3} mm|no hole)$' "$work/report" || true)
    if [ "$pad_lines" != "$pads" ]; then
        echo "$program: $pad_lines pad lines, expected $pads" >&2
        exit 1
    fi
done
# Both builds of the same source print the same report.
cmp "$work/pad_report_pc.report" "$work/cmake-build/pad_report.report"
echo "kit: pad report built with pkg-config and find_package, $components components, $pads pads"
