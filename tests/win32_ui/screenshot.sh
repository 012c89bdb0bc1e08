#!/usr/bin/env bash
# Starts the showcase under Wine, takes a screenshot of the virtual X server once the
# dialog is up and shows on the screen, and checks that the picture holds more than a
# blank screen.
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
# Wine hands the painted window to the X server a little after the program has drawn it,
# so the picture is taken again until it shows the dialog, up to a limit. A dialog with
# text and controls has many shades; a blank screen has one.
colours=0
deadline=$((SECONDS + 10))
while true; do
    import -window root "$picture"
    colours=$(convert "$picture" -format %k info:)
    if [ "$colours" -gt 50 ] || [ "$SECONDS" -ge "$deadline" ]; then
        break
    fi
    sleep 0.1
done
echo "done" >&"${SHOWCASE[1]}"
wait "$SHOWCASE_PID"

echo "screenshot: $picture ($colours colours)"
[ "$colours" -gt 50 ]
