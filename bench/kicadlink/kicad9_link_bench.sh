#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# kicad9_link_bench.sh BUILD_DIR [SECONDS]: pcbhost --kicad beside KiCad 9's PCB editor (unpacked
# by scripts/install-kicad9), on video.kicad_pcb from Debian's kicad-demos and on a generated
# board of about 2,000 components (scripts/generate-kicad-board). For each board, over windows of
# SECONDS (20 by default), prints:
#   - KiCad's processor time and its longest freeze (the longest answer to a request every 50 ms:
#     KiCad serves its API on its user-interface thread) alone, beside pcbhost --kicad with no
#     client, and beside a link that asks for the board text every 2 s (as pcbhost once did);
#   - how long KiCad takes to write the board out (SaveDocumentToString);
#   - the delay from an unsaved edit in KiCad (a footprint deleted) to the design a client opens;
#   - highlight to KiCad's selection, read back through GetSelection.
# Runs in a private network namespace, under a virtual X server, with a private HOME and TMPDIR.
set -u
if [ -z "${KICADLINK_IN_NETNS:-}" ]; then
    export KICADLINK_IN_NETNS=1
    unshare -n true 2>/dev/null && exec unshare -n "$0" "$@"
    unshare -rn true 2>/dev/null && exec unshare -rn "$0" "$@"
    echo "cannot make a private network namespace" >&2
    exit 1
fi
build=$(realpath "$1")
window=${2:-20}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
kicad9=${PARTWISE_KICAD9:-/opt/partwise-kicad9}
[ -x "$kicad9/usr/bin/pcbnew" ] || { echo "KiCad 9 is not unpacked in $kicad9 (scripts/install-kicad9)" >&2; exit 1; }
bench="$build/bench/kicadlink/kicad_link_bench"
probe="$build/tests/kicadlink/kicad_ipc_probe"
watch="$build/tests/kicadlink/highlight_and_watch"
pcbhost="$build/pcbhost/pcbhost"
ip link set lo up 2>/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 display <&3 || { echo "no X server" >&2; exit 1; }
export DISPLAY=":$display"
export HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME/.config/kicad/9.0" "$TMPDIR" "$work/boards"
mkdir -m 700 "$XDG_RUNTIME_DIR"
echo '{"api": {"enable_server": true}}' >"$HOME/.config/kicad/9.0/kicad_common.json"
printf '(fp_lib_table\n  (version 7)\n)\n' >"$HOME/.config/kicad/9.0/fp-lib-table"
unset KICAD_API_SOCKET KICAD_API_TOKEN

cp /usr/share/kicad/demos/video/video.kicad_pcb "$work/boards/"
python3 "$source_dir/scripts/generate-kicad-board" --pads 22000 "$work/boards/generated.kicad_pcb" >/dev/null

echo "kicad9_link_bench: windows of $window s, $(nproc) cores"
for board in "$work/boards/video.kicad_pcb" "$work/boards/generated.kicad_pcb"; do
    name=$(basename "$board")
    LD_LIBRARY_PATH="$kicad9/usr/lib/x86_64-linux-gnu" KICAD_STOCK_DATA_HOME="$kicad9/usr/share/kicad" \
        "$kicad9/usr/bin/pcbnew" "$board" >"$work/pcbnew.log" 2>&1 &
    kicad=$!
    pids+=($kicad)
    for _ in $(seq 1200); do
        "$probe" boards 2>/dev/null | grep -q "^$name	" && break
        sleep 0.1
    done
    sleep 3  # the editor settles after loading
    components=$(grep -c '^  (footprint ' "$board")
    echo "== $name ($components footprints), KiCad $("$probe" version)"
    echo "alone:                $("$bench" cpu "$window" "$kicad")"
    echo "alone:                $("$bench" stall "$window")"
    echo "writing the board:    $("$bench" save 5)"

    "$pcbhost" --headless --kicad >"$work/pcbhost.log" 2>&1 &
    host=$!
    pids+=($host)
    for _ in $(seq 100); do grep -q '^linked\|^kicad:' "$work/pcbhost.log" && break; sleep 0.1; done
    sleep 2
    echo "beside pcbhost:       $("$bench" cpu "$window" "$kicad")"
    echo "beside pcbhost:       $("$bench" stall "$window")"
    "$bench" poll $((window * 2 + 5)) &
    poller=$!
    sleep 2
    echo "board text every 2 s: $("$bench" cpu "$window" "$kicad")"
    echo "board text every 2 s: $("$bench" stall "$window")"
    kill "$poller" 2>/dev/null
    wait "$poller" 2>/dev/null

    echo "first open:           $("$bench" open)"
    refs=$(grep -o '(fp_text reference "[A-Z]*[0-9]*"' "$board" | sed 's/.*"\(.*\)"/\1/' | sed -n '2p;50p;120p' | tr '\n' ' ')
    echo "highlights:"
    "$watch" --ipc $refs | sed 's/^/  /'
    victim=$(echo "$refs" | cut -d' ' -f2)
    "$probe" select "$victim" >/dev/null && "$probe" action common.Interactive.delete
    edited=$(date +%s%N)
    opened=$("$bench" open)
    echo "edit to served:       $(( ($(date +%s%N) - edited) / 1000000 )) ms from deleting $victim in KiCad (unsaved) to a client's design without it ($opened)"
    kill "$host" "$kicad"
    wait "$host" "$kicad" 2>/dev/null
    grep '^kicad:' "$work/pcbhost.log" | sed 's/^/  pcbhost said: /'
done
