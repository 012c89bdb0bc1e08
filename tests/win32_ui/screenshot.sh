#!/usr/bin/env bash
# Starts the showcase under Wine, takes a screenshot of the virtual X server once the
# dialog is up, and checks that the picture holds more than a blank screen.
# Arguments: the build tree's wine-run, the showcase executable, the picture to write.
set -euo pipefail
wine_run=$1
showcase=$2
picture=$3

if [ -z "${DISPLAY:-}" ]; then
    echo "screenshot: no X display (run the Windows tests through scripts/test-windows)" >&2
    exit 1
fi
mkdir -p "$(dirname "$picture")"
rm -f "$picture"

coproc SHOWCASE { "$wine_run" "$showcase" 2>&1; }
ready=no
while IFS= read -r -t 60 line <&"${SHOWCASE[0]}"; do
    echo "showcase: $line"
    if [[ $line == READY* ]]; then
        ready=yes
        break
    fi
done
if [ "$ready" != yes ]; then
    echo "screenshot: the showcase never became ready" >&2
    exit 1
fi
import -window root "$picture"
echo done >&"${SHOWCASE[1]}"
wait "$SHOWCASE_PID"

colours=$(convert "$picture" -format %k info:)
echo "screenshot: $picture ($colours colours)"
# A dialog with text and controls has many shades; a blank screen has one.
[ "$colours" -gt 50 ]
