#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# live_kicad9_test.sh PCBHOST PARTWISE HIGHLIGHT_AND_WATCH PROBE PLUGIN_DIR BOARD REFDES...:
# starts KiCad 9's PCB editor (unpacked by scripts/install-kicad9 into $PARTWISE_KICAD9,
# /opt/partwise-kicad9 by default) on a copy of BOARD under a virtual X server, with a private
# HOME and TMPDIR, its API switched on and the PARTWISE plugin (PLUGIN_DIR) installed, in a
# private network namespace (its cross-probe port 4242 is ours alone). Then `pcbhost --headless
# --kicad` without a board file, which must serve the board KiCad has open; then:
#   1. each REFDES highlighted through libDbx32 must become KiCad's whole selection, read back
#      through KiCad's own API (GetSelection);
#   2. a highlight while KiCad is stopped (SIGSTOP) must be said on a kicad: line within 2 s, and
#      after SIGCONT the next highlight lands;
#   3. KiCad restarted (a new token): the next highlight lands;
#   4. an unsaved deletion made in KiCad is in the design the next client opens;
#   5. KiCad shows the plugin's button; pressed, it starts PARTWISE and a pcbhost linked through
#      the socket KiCad hands it, whose highlight lands; pressed again, it starts nothing more.
# With KICAD9_API_OFF=1, KiCad runs with its API off instead, and pcbhost must say what to switch
# on: without a board file it ends saying so; with one it links to the cross-probe port and says
# it there.
# Exit 77 (skipped) only when KiCad 9 is not unpacked or no X server can be started.
set -u
if [ -z "${KICADLINK_IN_NETNS:-}" ]; then
    export KICADLINK_IN_NETNS=1
    unshare -n true 2>/dev/null && exec unshare -n "$0" "$@"
    unshare -rn true 2>/dev/null && exec unshare -rn "$0" "$@"
    echo "cannot make a private network namespace (unshare -n, unshare -rn)" >&2
    exit 1
fi
pcbhost=$1 partwise=$2 watch=$3 probe=$4 plugin=$5 board=$6
shift 6
refs=("$@")
kicad9=${PARTWISE_KICAD9:-/opt/partwise-kicad9}
if [ ! -x "$kicad9/usr/bin/pcbnew" ]; then
    echo "SKIPPED: KiCad 9 is not unpacked in $kicad9 (scripts/install-kicad9)"
    exit 77
fi
ip link set lo up 2>/dev/null || { echo "cannot bring up loopback in the namespace" >&2; exit 1; }

work=$(mktemp -d) || exit 1
pids=()
kicad_pid=""
cleanup() {
    [ -n "$kicad_pid" ] && kill -CONT "$kicad_pid" 2>/dev/null
    # What the plugin started: PARTWISE (its action then stops its pcbhost).
    for f in "$work"/run/partwise-kicad/*.pid; do [ -f "$f" ] && kill "$(cat "$f")" 2>/dev/null; done
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    echo "--- pcbhost:" >&2; cat "$work/pcbhost.log" >&2 2>/dev/null
    echo "--- pcbnew:" >&2; tail -n 20 "$work/pcbnew.log" >&2 2>/dev/null
    exit 1
}

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

# KiCad's settings: its API server on, no first-run questions.
export HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
settings="$HOME/.config/kicad/9.0"
mkdir -p "$settings" "$TMPDIR"
mkdir -m 700 "$XDG_RUNTIME_DIR"
if [ "${KICAD9_API_OFF:-}" = 1 ]; then
    echo '{"api": {"enable_server": false}}' >"$settings/kicad_common.json"
else
    echo '{"api": {"enable_server": true}}' >"$settings/kicad_common.json"
fi
printf '(fp_lib_table\n  (version 7)\n)\n' >"$settings/fp-lib-table"
mkdir -p "$HOME/.local/share/kicad/9.0/plugins"
cp -r "$plugin" "$HOME/.local/share/kicad/9.0/plugins/"
# The plugin finds the programs under test.
export PARTWISE_BIN_DIR="$(dirname "$pcbhost") $(dirname "$partwise")"
unset KICAD_API_SOCKET KICAD_API_TOKEN
mkdir "$work/board"
cp "$board" "$work/board/"
board_copy="$work/board/$(basename "$board")"

start_kicad() {
    LD_LIBRARY_PATH="$kicad9/usr/lib/x86_64-linux-gnu" KICAD_STOCK_DATA_HOME="$kicad9/usr/share/kicad" \
        "$kicad9/usr/bin/pcbnew" "$board_copy" >>"$work/pcbnew.log" 2>&1 &
    kicad_pid=$!
    pids+=($kicad_pid)
    # Ready once its API answers with the board open.
    local started=$SECONDS
    for _ in $(seq 600); do
        "$probe" boards 2>/dev/null | grep -q "^$(basename "$board")	" && break
        sleep 0.1
    done
    "$probe" boards 2>/dev/null | grep -q "^$(basename "$board")	" ||
        fail "KiCad 9's PCB editor did not open the board with its API within 60 s"
    echo "KiCad $("$probe" version) ready in $((SECONDS - started)) s"
}
if [ "${KICAD9_API_OFF:-}" = 1 ]; then
    LD_LIBRARY_PATH="$kicad9/usr/lib/x86_64-linux-gnu" KICAD_STOCK_DATA_HOME="$kicad9/usr/share/kicad" \
        "$kicad9/usr/bin/pcbnew" "$board_copy" >>"$work/pcbnew.log" 2>&1 &
    kicad_pid=$!
    pids+=($kicad_pid)
    for _ in $(seq 600); do
        (exec 3<>/dev/tcp/127.0.0.1/4242) 2>/dev/null && break
        sleep 0.1
    done
    (exec 3<>/dev/tcp/127.0.0.1/4242) 2>/dev/null || fail "KiCad 9 did not open its port 4242 within 60 s"
    [ -e "$TMPDIR/kicad/api.sock" ] && fail "KiCad made an API socket with its API off"
    "$pcbhost" --headless --kicad >"$work/pcbhost.log" 2>&1
    rc=$?
    cat "$work/pcbhost.log"
    [ $rc -eq 1 ] || fail "pcbhost --kicad without a board and without KiCad's API: exit $rc, not 1"
    grep -q 'its API is off: switch on Preferences > Plugins > Enable KiCad API' "$work/pcbhost.log" ||
        fail "pcbhost did not say to switch KiCad's API on"
    "$pcbhost" --headless --kicad "$board_copy" >"$work/pcbhost.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do grep -q '^kicad: no KiCad API socket' "$work/pcbhost.log" && break; sleep 0.1; done
    cat "$work/pcbhost.log"
    grep -qx 'linked to KiCad cross-probe on 127.0.0.1:4242' "$work/pcbhost.log" ||
        fail "pcbhost did not find KiCad's port 4242"
    grep -q '^kicad: no KiCad API socket in .*switch on Preferences > Plugins > Enable KiCad API' \
        "$work/pcbhost.log" || fail "pcbhost did not say to switch KiCad's API on"
    echo "live KiCad 9 test, API off: passed"
    exit 0
fi
start_kicad

"$pcbhost" --headless --kicad >"$work/pcbhost.log" 2>&1 &
host_pid=$!
pids+=($host_pid)
for _ in $(seq 100); do
    grep -q '^linked to\|^kicad:' "$work/pcbhost.log" && break
    sleep 0.1
done
head -n 2 "$work/pcbhost.log"
grep -q "^serving $board_copy (" "$work/pcbhost.log" || fail "pcbhost does not serve the board KiCad has open"
grep -qx "linked to KiCad IPC at ipc://$TMPDIR/kicad/api.sock" "$work/pcbhost.log" ||
    fail "pcbhost did not link to KiCad's API"

# 1. Highlights land: KiCad's whole selection is the component.
"$watch" --ipc "${refs[@]}" || fail "a highlight did not become KiCad's selection"

grep '^kicad: highlight' "$work/pcbhost.log" && fail "a highlight that landed was said not to"

# 2. KiCad stopped: the highlight is said within 2 s; continued: the next one lands.
sleep 0.5  # the last highlight's view action is done
kill -STOP "$kicad_pid"
"$watch" --send-only "${refs[0]}" >/dev/null || fail "no highlight through libDbx32"
stopped_at=$(date +%s%N)
said=""
while [ $(( ($(date +%s%N) - stopped_at) / 1000000 )) -lt 2000 ]; do
    said=$(grep "^kicad: highlight ${refs[0]} " "$work/pcbhost.log")
    [ -n "$said" ] && break
    sleep 0.05
done
[ -n "$said" ] || fail "a highlight KiCad could not answer was not said within 2 s"
echo "stopped KiCad, said after $(( ($(date +%s%N) - stopped_at) / 1000000 )) ms: $said"
kill -CONT "$kicad_pid"
"$watch" --ipc "${refs[1]:-${refs[0]}}" || fail "the highlight after KiCad came back did not land"

# 3. KiCad restarted under a new token: the next highlight lands.
sleep 0.5
kill "$kicad_pid"
wait "$kicad_pid" 2>/dev/null
start_kicad
"$watch" --ipc "${refs[0]}" || fail "the highlight after KiCad restarted did not land"

# 4. An unsaved deletion in KiCad reaches the next client's design.
"$probe" select "${refs[0]}" >/dev/null && "$probe" action common.Interactive.delete ||
    fail "could not delete ${refs[0]} in KiCad"
if "$watch" --send-only "${refs[0]}" 2>/dev/null; then
    fail "${refs[0]}, deleted in KiCad, is still in the design served"
fi
echo "${refs[0]}, deleted in KiCad and not saved, is gone from the design served"

sed -n '3,$p' "$work/pcbhost.log"

# 5. The plugin's button: its icon's board green, in the toolbar at the top.
kill "$host_pid"  # the plugin's pcbhost serves the design from now on
wait "$host_pid" 2>/dev/null
import -window root "$work/screen.png" || fail "no screenshot (imagemagick)"
convert=/usr/bin/convert  # ImageMagick's, not another of that name earlier on PATH
[ -x "$convert" ] || convert=convert
button=$("$convert" "$work/screen.png" -crop 1600x80+0+0 txt:- | grep -m1 -i '#1F5F3A' | cut -d: -f1)
[ -n "$button" ] || fail "KiCad shows no PARTWISE button: the plugin was not loaded"
x=$(( ${button%,*} + 10 )) y=$(( ${button#*,} + 10 ))
echo "PARTWISE button at $x,$y"
plugin_log() { cat "$work"/run/partwise-kicad/*.log 2>/dev/null; }
xdotool mousemove "$x" "$y" click 1
for _ in $(seq 100); do plugin_log | grep -q 'started PARTWISE\|not found\|ended' && break; sleep 0.1; done
for _ in $(seq 50); do plugin_log | grep -q '^linked to\|^kicad:' && break; sleep 0.1; done
plugin_log | sed 's/^/  plugin: /'
plugin_log | grep -q 'started PARTWISE' || fail "the button did not start PARTWISE"
plugin_log | grep -qx "linked to KiCad IPC at ipc://$TMPDIR/kicad/api.sock" ||
    fail "the plugin's pcbhost is not linked to KiCad"
"$watch" --ipc "${refs[1]:-${refs[0]}}" || fail "a highlight through the plugin's pcbhost did not land"
xdotool mousemove "$x" "$y" click 1
for _ in $(seq 50); do plugin_log | grep -q 'to the front\|already runs' && break; sleep 0.1; done
plugin_log | grep 'to the front\|already runs' | sed 's/^/  plugin: /'
[ "$(plugin_log | grep -c 'started PARTWISE')" -eq 1 ] || fail "a second press started a second PARTWISE"
plugin_log | grep -q 'to the front\|already runs' || fail "a second press did not find the running PARTWISE"
[ -n "${KICADLINK_SCREENSHOT:-}" ] && import -window root "$KICADLINK_SCREENSHOT"
echo "live KiCad 9 test: passed"
exit 0
