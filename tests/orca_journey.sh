#!/bin/sh
# Runs the program with the real screen reader: Orca speaking through speech-dispatcher, whose
# generic module writes every utterance to a file instead of a sound card, under a private X
# server with a window manager, D-Bus session and AT-SPI registry. tests/orca_journey.py then
# drives a journey with key presses only and checks what was spoken.
#   orca_journey.sh PROGRAM CLIENT [LOGS]
# What Orca spoke and its debug log are copied to the folder LOGS, when given.
# Exits 77 (skipped) when Orca is not installed.
set -u
program=$1
client=$2
logs=${3:-}

command -v orca >/dev/null 2>&1 || { echo "SKIP: orca is not installed (orca)"; exit 77; }
for tool in speech-dispatcher openbox xdotool; do
    command -v $tool >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
done

. "$(dirname "$0")/a11y_session.sh"

openbox --config-file /dev/null >"$work/openbox.log" 2>&1 &
session_pids="$! $session_pids"

# speech-dispatcher with one output module: sd_generic running a command that appends the text
# to the log. Its sound output goes nowhere; the module only needs one to start.
spoken="$work/spoken.log"
mkdir -p "$work/speech/modules"
cat >"$work/speech/speechd.conf" <<EOC
AddModule "logger" "sd_generic" "logger.conf"
DefaultModule logger
AudioOutputMethod "alsa"
AudioALSADevice "null"
LogLevel 3
EOC
cat >"$work/speech/modules/logger.conf" <<EOC
GenericExecuteSynth "printf '%s\\\\n' \'\$DATA\' >> $spoken"
AddVoice "en" "MALE1" "logger"
GenericLanguage "en" "en" "utf-8"
EOC
: >"$spoken"
speech-dispatcher -d -t 0 -C "$work/speech" -L "$work" -P "$work/speech.pid" \
    >"$work/speech.log" 2>&1 || { echo "FAIL: speech-dispatcher did not start"; exit 1; }
session_pids="$(cat "$work/speech.pid") $session_pids"

orca --replace --debug-file="$work/orca.debug" >"$work/orca.log" 2>&1 &
orca_pid=$!
session_pids="$orca_pid $session_pids"

# The saved-members file lives beside the program: run a copy in a folder of this run.
cp "$program" "$work/bin/vantrel"

timeout 600 /usr/bin/python3 "$client" "$work/bin/vantrel" "$spoken" "$orca_pid"
status=$?
[ $status -eq 124 ] && echo "FAIL: the journey timed out"
if [ -n "$logs" ]; then
    mkdir -p "$logs"
    cp "$spoken" "$work/orca.debug" "$logs/" 2>/dev/null
fi
if [ $status -ne 0 ]; then
    echo "--- what Orca spoke:"
    cat "$spoken"
    echo "--- Orca's log, last lines:"
    tail -n 60 "$work/orca.log"
fi
exit $status
