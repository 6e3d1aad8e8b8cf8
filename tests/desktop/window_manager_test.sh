#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# window_manager_test.sh PARTWISE: runs the program under Xvfb and openbox and checks, from
# the X properties, what a desktop shows: the launcher in the task list (listed by the window
# manager, no skip-taskbar state, transient for nothing), a finder transient for the launcher
# and active, and the focus back on the launcher when the finder closes.
set -eu
partwise=$1
work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    for pid in $pids; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# until SECONDS COMMAND...: retries COMMAND every 0.1 s for at most SECONDS.
until_true() {
    tries=$(($1 * 10))
    shift
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$work/display" 2>"$work/xvfb.log" &
pids="$!"
until_true 10 grep -q '[0-9]' "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids="$pids $!"
until_true 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    fail "openbox did not start: $(cat "$work/openbox.log")"

"$partwise" -platform xcb >"$work/partwise.log" 2>&1 &
partwise_pid=$!
pids="$pids $partwise_pid"

hex() { printf '0x%x' "$1"; }
window_named() {
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$found" ] && echo "$found"
}
active() { xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p'; }
is_active() { [ "$(active)" = "$(hex "$1")" ]; }
transient_for() { xprop -id "$1" WM_TRANSIENT_FOR | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p'; }

until_true 20 window_named PARTWISE || fail "no launcher window: $(cat "$work/partwise.log")"
launcher=$(window_named PARTWISE)
until_true 10 is_active "$launcher" || fail "the launcher is not the active window"

# In the task list: the window manager lists it, nothing asks to leave it out, it is nobody's.
xprop -root _NET_CLIENT_LIST | grep -q "$(hex "$launcher")" || fail "launcher not in _NET_CLIENT_LIST"
state=$(xprop -id "$launcher" _NET_WM_STATE)
case "$state" in *SKIP_TASKBAR*) fail "launcher skips the task bar: $state" ;; esac
[ -z "$(transient_for "$launcher")" ] || fail "launcher is transient for $(transient_for "$launcher")"

# Alt+P opens the Pad finder, transient for the launcher and active.
xdotool key --clearmodifiers alt+p
until_true 10 window_named "PAD STYLES IN COMPONENTS" || fail "no finder window"
finder=$(window_named "PAD STYLES IN COMPONENTS")
[ "$(transient_for "$finder")" = "$(hex "$launcher")" ] ||
    fail "finder transient for '$(transient_for "$finder")', not the launcher $(hex "$launcher")"
until_true 10 is_active "$finder" || fail "the finder is not active (active: $(active))"

# Closing the finder (Escape) gives the focus back to the launcher.
xdotool key Escape
until_true 10 sh -c "! xdotool search --onlyvisible --name '^PAD STYLES IN COMPONENTS\$' >/dev/null" ||
    fail "the finder did not close"
until_true 10 is_active "$launcher" || fail "focus not back on the launcher (active: $(active))"

# Escape on the launcher ends the program.
xdotool key Escape
until_true 10 sh -c "! kill -0 $partwise_pid" || fail "partwise did not end"
echo "window manager: launcher in the task list, finder transient for it, focus returns"
