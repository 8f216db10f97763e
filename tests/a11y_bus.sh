#!/bin/sh
# Runs the program under a private X server with a private D-Bus session and the AT-SPI
# registry, and lets the accessibility client tests/a11y_bus.py walk and press its windows.
#   a11y_bus.sh PROGRAM CLIENT
# Exits 77 (skipped) when the tools are not installed.
set -u
program=$1
client=$2

. "$(dirname "$0")/a11y_session.sh"

# The saved-members file lives beside the program: run a copy in a folder of this run.
cp "$program" "$work/bin/vantrel"

timeout 90 /usr/bin/python3 "$client" "$work/bin/vantrel"
status=$?
[ $status -eq 124 ] && echo "FAIL: the accessibility client timed out"
exit $status
