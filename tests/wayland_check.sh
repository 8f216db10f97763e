#!/usr/bin/env bash
# Runs the maximise driver on a headless Weston with XWayland, as on a desktop session whose
# compositor leaves the title bars to the program. The program must survive maximising both
# windows. Skipped (status 77) when Weston or its Wayland platform plugin is missing.
#   wayland_check.sh MAXIMISE_DRIVER
set -uo pipefail
driver=$1
plugins=$(dirname "$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' -print -quit)")
[ -n "$plugins" ] && [ "$plugins" != . ] || { echo "qt6-wayland is not installed"; exit 77; }

runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'kill "$weston" 2>/dev/null; wait "$weston" 2>/dev/null; rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-pixman --xwayland \
    --socket=wayland-check --width=1280 --height=800 --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston=$!
for _ in $(seq 100); do
    grep -q "xserver listening on display" "$runtime/weston.log" && break
    sleep 0.1
done
display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$runtime/weston.log" | head -1)
if [ ! -S "$runtime/wayland-check" ] || [ -z "$display" ]; then
    cat "$runtime/weston.log"
    echo "headless Weston with XWayland did not start"
    exit 77
fi

run() {
    env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-check \
        XDG_SESSION_TYPE=wayland DISPLAY="$display" HOME="$runtime" "$@" "$driver"
}
# The toolkit's fault, shown for the record: forced onto Wayland, maximising ends the program.
forced=$(run QT_QPA_PLATFORM=wayland 2>&1)
echo "on Wayland itself: status $? ($(tail -1 <<<"$forced"))"

out=$(run 2>&1)
status=$?
echo "$out"
[ "$status" = 0 ] || { echo "FAIL: the program ended with status $status"; exit 1; }
[ "$(head -1 <<<"$out")" = xcb ] || { echo "FAIL: not on the X server: $(head -1 <<<"$out")"; exit 1; }
echo "both windows maximised and redrawn without harm"
