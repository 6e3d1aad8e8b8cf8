#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# check_cli.sh PROGRAM MANPAGE VERSION: PROGRAM answers --version with its name and VERSION and
# --help with a usage line, both with status 0 and before touching a display or a socket;
# status 1 when the answer cannot be written; every option --help names is in MANPAGE (roff,
# gzipped or not), which renders with the program's name.
set -eu
program=$1 manpage=$2 version=$3
name=$(basename "$program")
fail() { echo "FAIL: $name: $*" >&2; exit 1; }
# No display and no runtime directory: the answers must not need them.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
XDG_RUNTIME_DIR=/nonexistent
export XDG_RUNTIME_DIR

out=$("$program" --version) || fail "--version exited with $?"
[ "$(echo "$out" | head -n 1)" = "$name $version" ] || fail "--version says '$(echo "$out" | head -n 1)'"
echo "$out" | grep -q "GPL-3.0-or-later" || fail "--version names no licence"
help=$("$program" --help) || fail "--help exited with $?"
[ "$(echo "$help" | head -n 1 | cut -d' ' -f1-2)" = "usage: $name" ] || fail "--help has no usage line"
[ "$("$program" -h)" = "$help" ] || fail "-h differs from --help"
status=0
"$program" --version >/dev/full 2>/dev/null || status=$?
[ "$status" -eq 1 ] || fail "--version to a full device exited with $status, not 1"

page=$(MANWIDTH=120 man -l "$manpage" 2>/dev/null | col -b)
echo "$page" | grep -q "^ *$name - " || fail "$manpage does not render"
options=$(echo "$help" | grep -oE '(^| )--?[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || fail "--help names no options"
for option in $options; do
    echo "$page" | grep -qe "$option" || fail "$manpage does not document $option"
done
echo "$name: --version $version; options in --help and the manual:" $options
