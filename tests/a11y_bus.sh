#!/bin/sh
# Runs the program under a private X server with a private D-Bus session and the AT-SPI
# registry, and lets the accessibility client tests/a11y_bus.py walk and press its windows.
#   a11y_bus.sh PROGRAM CLIENT
# Exits 77 (skipped) when the tools are not installed.
set -u
program=$1
client=$2

skip() {
    echo "SKIP: $1"
    exit 77
}
launcher=/usr/libexec/at-spi-bus-launcher
command -v Xvfb >/dev/null 2>&1 || skip "Xvfb is not installed (xvfb)"
command -v dbus-daemon >/dev/null 2>&1 || skip "dbus-daemon is not installed (dbus)"
[ -x "$launcher" ] || skip "$launcher is not installed (at-spi2-core)"
# Debian's interpreter: another python3 first on the PATH may lack Debian's modules.
[ -x /usr/bin/python3 ] || skip "/usr/bin/python3 is not installed"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "pyatspi is not installed (python3-pyatspi)"

work=$(mktemp -d)
xvfb_pid=
dbus_pid=
launcher_pid=
cleanup() {
    for pid in $launcher_pid $dbus_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# A home, a runtime folder and a temp folder of its own: no other copy of the program, no
# user settings and no saved people of anyone else's.
mkdir -p "$work/home" "$work/run" "$work/tmp" "$work/bin"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
export XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache"
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY

# The saved-members file lives beside the program: run a copy in a folder of this run.
cp "$program" "$work/bin/vantrel"

# A display number nobody uses.
display=
n=120
while [ $n -lt 400 ]; do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=$n
        break
    fi
    n=$((n + 1))
done
[ -n "$display" ] || { echo "FAIL: no free display number"; exit 1; }
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
i=0
while [ ! -e "/tmp/.X11-unix/X$display" ]; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 $xvfb_pid 2>/dev/null; then
        echo "FAIL: Xvfb did not start"
        cat "$work/xvfb.log"
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$display"

dbus-daemon --session --fork --print-address=3 --print-pid=4 \
    3>"$work/dbus.address" 4>"$work/dbus.pid" || { echo "FAIL: no D-Bus session"; exit 1; }
dbus_pid=$(cat "$work/dbus.pid")
DBUS_SESSION_BUS_ADDRESS=$(cat "$work/dbus.address")
export DBUS_SESSION_BUS_ADDRESS

"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
launcher_pid=$!

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
export GTK_MODULES= NO_AT_BRIDGE=0 LC_ALL=C.UTF-8

timeout 90 /usr/bin/python3 "$client" "$work/bin/vantrel"
status=$?
[ $status -eq 124 ] && echo "FAIL: the accessibility client timed out"
exit $status
