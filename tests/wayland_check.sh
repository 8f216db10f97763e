#!/usr/bin/env bash
# The program on real Wayland compositors, as a desktop session runs it.
#  - On a headless Weston with XWayland: which window system the program takes in each kind of
#    session, and the maximise driver as a native Wayland client and as an X11 client.
#  - On a headless mutter (GNOME's compositor) where it is installed, in a D-Bus session of its
#    own: the maximise driver again.
#  - On a headless Weston whose output has a scale of 2: the maximise driver again, and the
#    chart drawn at ratio 2.
# Skipped (status 77) when Weston or the toolkit's Wayland plugin is missing.
#   wayland_check.sh PROGRAM MAXIMISE_DRIVER
set -uo pipefail
program=$1
driver=$2

if [ "${3:-}" = --inside-mutter ]; then
    # Started again by the part below, inside dbus-run-session.
    mutter --headless --wayland --no-x11 --wayland-display=wayland-check \
        --virtual-monitor 1280x1024 >"$XDG_RUNTIME_DIR/mutter.log" 2>&1 &
    mutter=$!
    for _ in $(seq 200); do
        [ -S "$XDG_RUNTIME_DIR/wayland-check" ] && break
        sleep 0.1
    done
    if [ ! -S "$XDG_RUNTIME_DIR/wayland-check" ]; then
        cat "$XDG_RUNTIME_DIR/mutter.log"
        echo "FAIL: headless mutter did not start"
        kill "$mutter" 2>/dev/null
        exit 1
    fi
    export WAYLAND_DISPLAY=wayland-check XDG_SESSION_TYPE=wayland
    unset DISPLAY QT_QPA_PLATFORM
    "$driver"
    status=$?

    # A second start hands the launcher's activation token to the running copy, which shows
    # it to the compositor with its request for the focus (mutter speaks xdg-activation).
    WAYLAND_DEBUG=1 "$program" 2>"$XDG_RUNTIME_DIR/first.log" &
    first=$!
    for _ in $(seq 200); do
        grep -q 'xdg_toplevel@[0-9]*\.configure' "$XDG_RUNTIME_DIR/first.log" && break
        sleep 0.1
    done
    for variable in XDG_ACTIVATION_TOKEN DESKTOP_STARTUP_ID; do
        token=vantrel-check-$variable-$RANDOM
        env "$variable=$token" timeout 20 "$program"
        second=$?
        for _ in $(seq 100); do
            grep -q "activate(\"$token\"" "$XDG_RUNTIME_DIR/first.log" && break
            sleep 0.1
        done
        if [ "$second" != 0 ]; then
            echo "FAIL: a second start with $variable ended with status $second"
            status=1
        elif grep -q "activate(\"$token\"" "$XDG_RUNTIME_DIR/first.log"; then
            echo "ok: the running copy asked for the focus with the token of $variable"
        else
            echo "FAIL: the token of $variable never reached the compositor"
            status=1
        fi
    done
    kill "$first" "$mutter" 2>/dev/null
    wait 2>/dev/null
    exit $status
fi

find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' -print -quit | grep -q . \
    || { echo "qt6-wayland is not installed"; exit 77; }
command -v weston >/dev/null || { echo "weston is not installed"; exit 77; }

runtime=$(mktemp -d)
chmod 700 "$runtime"
weston=
trap '[ -n "$weston" ] && kill "$weston" 2>/dev/null; wait 2>/dev/null; rm -rf "$runtime"' EXIT
xwayland=
command -v Xwayland >/dev/null && xwayland=--xwayland
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-pixman $xwayland \
    --socket=wayland-check --width=1280 --height=800 --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston=$!
for _ in $(seq 200); do
    [ -S "$runtime/wayland-check" ] && { [ -z "$xwayland" ] || grep -q "xserver listening" "$runtime/weston.log"; } && break
    sleep 0.1
done
[ -S "$runtime/wayland-check" ] || { cat "$runtime/weston.log"; echo "headless Weston did not start"; exit 77; }
display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$runtime/weston.log" | head -1)
failed=0

# The window system the program itself takes: the toolkit's plugin it loaded, read off the
# running program once its window is up.
platform_of() {
    env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" LC_ALL=C.UTF-8 "$@" \
        "$program" >"$runtime/program.log" 2>&1 &
    local pid=$! taken=none
    for _ in $(seq 100); do
        grep -q 'platforms/libqwayland' "/proc/$pid/maps" 2>/dev/null && taken=wayland
        grep -q 'platforms/libqxcb' "/proc/$pid/maps" 2>/dev/null && taken=xcb
        [ "$taken" != none ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    sleep 1 # and it is still running with its window
    kill -0 "$pid" 2>/dev/null || taken="ended ($(tail -1 "$runtime/program.log"))"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    rm -f "$runtime"/vantrel.*
    echo "$taken"
}

# session | what the environment holds | window system expected
while IFS='|' read -r session vars expected; do
    [ -n "$session" ] || continue
    case "$vars" in *DISPLAY=X*) [ -n "$display" ] || { echo "skip: $session (no XWayland)"; continue; } ;; esac
    # shellcheck disable=SC2086
    taken=$(platform_of ${vars//DISPLAY=X/DISPLAY=$display})
    if [ "$taken" = "$expected" ]; then
        echo "ok: $session: $taken"
    else
        echo "FAIL: $session: $taken, not $expected"
        failed=1
    fi
done <<'TABLE'
Wayland session without an X server|WAYLAND_DISPLAY=wayland-check XDG_SESSION_TYPE=wayland|wayland
Wayland session with XWayland|WAYLAND_DISPLAY=wayland-check XDG_SESSION_TYPE=wayland DISPLAY=X|wayland
Wayland compositor, session type unset|WAYLAND_DISPLAY=wayland-check DISPLAY=X|wayland
X11 session|XDG_SESSION_TYPE=x11 DISPLAY=X|xcb
X11 chosen by the user in a Wayland session|WAYLAND_DISPLAY=wayland-check XDG_SESSION_TYPE=wayland DISPLAY=X QT_QPA_PLATFORM=xcb|xcb
Wayland chosen by the user|WAYLAND_DISPLAY=wayland-check DISPLAY=X QT_QPA_PLATFORM=wayland|wayland
TABLE

echo "== Weston"
env -u DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" HOME="$runtime" \
    WAYLAND_DISPLAY=wayland-check XDG_SESSION_TYPE=wayland "$driver"
status=$?
[ "$status" = 0 ] || { echo "FAIL: the driver ended with status $status on Weston"; failed=1; }

if [ -n "$display" ]; then
    echo "== Weston's XWayland"
    env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime" HOME="$runtime" \
        DISPLAY="$display" XDG_SESSION_TYPE=x11 "$driver"
    status=$?
    [ "$status" = 0 ] || { echo "FAIL: the driver ended with status $status on X11"; failed=1; }
fi

echo "== Weston, output scale 2"
scaled=$runtime/scaled
mkdir -m 700 "$scaled"
XDG_RUNTIME_DIR=$scaled weston --backend=headless-backend.so --use-pixman --scale=2 \
    --socket=wayland-check --width=1280 --height=800 --idle-time=0 >"$scaled/weston.log" 2>&1 &
scaled_weston=$!
for _ in $(seq 200); do
    [ -S "$scaled/wayland-check" ] && break
    sleep 0.1
done
env -u DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$scaled" HOME="$scaled" \
    WAYLAND_DISPLAY=wayland-check XDG_SESSION_TYPE=wayland VANTREL_RATIO=2 "$driver"
status=$?
kill "$scaled_weston" 2>/dev/null
wait "$scaled_weston" 2>/dev/null
[ "$status" = 0 ] || { echo "FAIL: the driver ended with status $status on Weston at scale 2"; failed=1; }

if command -v mutter >/dev/null && command -v dbus-run-session >/dev/null; then
    echo "== mutter"
    mutter_runtime=$runtime/mutter
    mkdir -m 700 "$mutter_runtime"
    XDG_RUNTIME_DIR=$mutter_runtime HOME=$mutter_runtime \
        timeout 120 dbus-run-session -- "$0" "$program" "$driver" --inside-mutter 2>&1 \
        | grep -v -e 'Failed to set fd limit' -e 'mutter-WARNING' -e '^$'
    status=${PIPESTATUS[0]}
    [ "$status" = 0 ] || { echo "FAIL: the checks on mutter ended with status $status"; failed=1; }
else
    echo "mutter or dbus-run-session is not installed: checked on Weston only"
fi
exit $failed
