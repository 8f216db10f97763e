#!/usr/bin/env bash
# Run as root after `apt-get install ./vantrel_*.deb`: starts the installed program as an
# ordinary user made for the purpose, offscreen, with a home and runtime folder of its own, and
# checks that it keeps running, keeps its saved people in that user's data folder and not in the
# program folder, hands a second start over to the running copy, and that a save works there.
#   installed_package.sh SAVE_DRIVER
set -uo pipefail
driver=$1
user=vantrel-check
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
home=$work/home runtime=$work/runtime program=$work/program
mkdir -p "$home" "$runtime" "$program"
chown "$user:" "$home" "$runtime"
chmod 700 "$runtime"
# The driver links the same code as the program; its copy lies in a folder only root can write,
# as the package's program folder does.
install -m 755 "$driver" "$program/save_driver"

as_user=(setpriv --reuid="$user" --regid="$user" --init-groups --
         env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen
         PATH=/usr/bin:/bin LANG=C.UTF-8)

saved=$home/.local/share/Vantrel/Vantrel
"${as_user[@]}" /usr/bin/vantrel &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the installed program ended instead of running on"
[ -f "$saved" ] || fail "no saved-members file at $saved"
[ -e /usr/lib/vantrel/Vantrel ] && fail "a saved-members file in the program folder"
[ "$(stat -c %a "$home/.local/share/Vantrel" 2>/dev/null)" = 700 ] ||
    fail "the data folder is not private to the user"
[ "$(stat -c %U "$saved" 2>/dev/null)" = "$user" ] || fail "the saved-members file is not the user's"
[ "$(stat -c %a "$saved" 2>/dev/null)" = 600 ] || fail "the saved-members file is readable by others"

# A second start hands over to the running copy and ends.
start=$(date +%s%N)
"${as_user[@]}" /usr/bin/vantrel || fail "the second start ended with status $?"
echo "second start ended after $((($(date +%s%N) - start) / 1000000)) ms"
kill -0 "$pid" 2>/dev/null || fail "the first copy ended when the second started"
kill "$pid"
wait "$pid" 2>/dev/null

# The copy above died without cleaning up; its lock must not keep the save from starting.
out=$("${as_user[@]}" "$program/save_driver" "Ada Lovelace")
status=$?
[ "$status" = 0 ] || fail "the save failed with status $status"
[ "$out" = "$saved" ] || fail "the save went to '$out', not $saved"
grep -q '^"Ada Lovelace","1984-03-14",' "$saved" || fail "the saved-members file lacks the person"
[ -e /usr/lib/vantrel/Vantrel ] && fail "a saved-members file in the program folder"

[ "$failures" -eq 0 ] && echo "installed package works for an ordinary user"
exit $((failures > 0))
