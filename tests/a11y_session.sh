# Sourced by the accessibility tests: a private X server, D-Bus session and AT-SPI registry,
# with a home, runtime and temp folder of this run, so that no other copy of the program, no
# user settings and no saved people of anyone else's take part. Leaves $work, $DISPLAY and
# $DBUS_SESSION_BUS_ADDRESS set; everything started is ended on exit. Skips (exit 77) when
# the tools are not installed.

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
session_pids=
cleanup() {
    for pid in $session_pids; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

mkdir -p "$work/home" "$work/run" "$work/tmp" "$work/bin"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
export XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache"
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY

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
session_pids="$xvfb_pid"
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
session_pids="$(cat "$work/dbus.pid") $session_pids"
DBUS_SESSION_BUS_ADDRESS=$(cat "$work/dbus.address")
export DBUS_SESSION_BUS_ADDRESS

"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
session_pids="$! $session_pids"

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
export GTK_MODULES= NO_AT_BRIDGE=0 LC_ALL=C.UTF-8
