#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# run_with_pcbhost.sh PCBHOST DESIGN COMMAND...: runs COMMAND while pcbhost serves DESIGN in a
# private runtime directory; pcbhost is ended afterwards whatever happens.
set -u
pcbhost=$1 design=$2
shift 2
XDG_RUNTIME_DIR=$(mktemp -d) || exit 1
export XDG_RUNTIME_DIR
chmod 700 "$XDG_RUNTIME_DIR"
log="$XDG_RUNTIME_DIR/pcbhost.log"
"$pcbhost" --headless "$design" >"$log" 2>&1 &
host=$!
cleanup() {
    kill "$host" 2>/dev/null
    wait "$host" 2>/dev/null
    rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT
tries=0
until grep -qs '^serving ' "$log"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$host" 2>/dev/null; then
        echo "pcbhost did not start:" >&2
        cat "$log" >&2
        exit 1
    fi
    sleep 0.1
done
"$@"
