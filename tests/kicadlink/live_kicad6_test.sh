#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# live_kicad6_test.sh PCBHOST HIGHLIGHT_AND_WATCH BOARD REFDES...: starts KiCad 6's PCB editor on
# BOARD under a virtual X server, with a private HOME, in a private network namespace (so that
# its port 4242 is ours alone), then pcbhost --kicad on the same board, then highlights each
# REFDES through libDbx32 and checks that KiCad selected exactly it. Exit 77 (skipped) only when
# no X server can be started.
set -u
if [ -z "${KICADLINK_IN_NETNS:-}" ]; then
    export KICADLINK_IN_NETNS=1
    unshare -n true 2>/dev/null && exec unshare -n "$0" "$@"
    unshare -rn true 2>/dev/null && exec unshare -rn "$0" "$@"
    echo "cannot make a private network namespace (unshare -n, unshare -rn)" >&2
    exit 1
fi
pcbhost=$1 watch=$2 board=$3
shift 3
ip link set lo up 2>/dev/null || { echo "cannot bring up loopback in the namespace" >&2; exit 1; }
command -v pcbnew >/dev/null || { echo "pcbnew not installed (scripts/install-deps test)" >&2; exit 1; }

work=$(mktemp -d) || exit 1
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

# An X server of our own: a free display number, told back through a pipe.
if ! command -v Xvfb >/dev/null; then
    echo "SKIPPED: no X server can be started here (Xvfb is not installed)"
    exit 77
fi
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
display=""
read -r -t 10 display <&3
if [ -z "$display" ]; then
    echo "SKIPPED: no X server can be started here:" >&2
    cat "$work/xvfb.log" >&2
    exit 77
fi
export DISPLAY=":$display"

# KiCad's settings: no first-run dialogs, and the plugin that reports the selection.
export HOME="$work/home"
settings="$HOME/.config/kicad/6.0"
mkdir -p "$settings/scripting/plugins"
echo '{}' >"$settings/kicad_common.json"
printf '(fp_lib_table\n)\n' >"$settings/fp-lib-table"
cp "$(dirname "$0")/selection_reporter.py" "$settings/scripting/plugins/"
export PARTWISE_SELECTION_FILE="$work/selection.txt"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export TMPDIR="$work"  # no KiCad IPC socket here: the cross-probe port is what answers

cp "$board" "$work/board.kicad_pcb"
pcbnew "$work/board.kicad_pcb" >"$work/pcbnew.log" 2>&1 &
pids+=($!)
# The cross-probe is acted on only once the editor is idle: wait for the plugin's first report.
for _ in $(seq 300); do
    grep -q '^ready$' "$PARTWISE_SELECTION_FILE" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q '^ready$' "$PARTWISE_SELECTION_FILE" 2>/dev/null; then
    echo "KiCad's PCB editor did not load the board within 30 s" >&2
    cat "$work/pcbnew.log" "$PARTWISE_SELECTION_FILE.err" >&2 2>/dev/null
    exit 1
fi

"$pcbhost" --headless --kicad "$work/board.kicad_pcb" >"$work/pcbhost.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    grep -q '^linked to\|^kicad:' "$work/pcbhost.log" && break
    sleep 0.1
done
cat "$work/pcbhost.log"
grep -qx 'linked to KiCad cross-probe on 127.0.0.1:4242' "$work/pcbhost.log" || exit 1

"$watch" "$PARTWISE_SELECTION_FILE" "$@"
rc=$?
sed -n '3,$p' "$work/pcbhost.log"
[ -n "${KICADLINK_SCREENSHOT:-}" ] && import -window root "$KICADLINK_SCREENSHOT"
exit $rc
