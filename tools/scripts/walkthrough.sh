#!/usr/bin/env bash
# Walks through one provisioning run of Brevane on a virtual display, with
# scripted keyboard and mouse input, saving a screenshot at every step.
#   BREVANE_DEMO_PASSWORD=... walkthrough.sh DEMO_FOLDER
# DEMO_FOLDER is laid out by run.sh; screenshots go to DEMO_FOLDER/screens. The password comes in
# the environment and is typed from standard input, so it shows in no process's arguments.
set -euo pipefail
DEMO=$1
PASSWORD=${BREVANE_DEMO_PASSWORD:?set BREVANE_DEMO_PASSWORD to the password to type}
SHOTS=$DEMO/screens
mkdir -p "$SHOTS"

DISPLAY_NUMBER=99
while [[ -e /tmp/.X11-unix/X$DISPLAY_NUMBER || -e /tmp/.X$DISPLAY_NUMBER-lock ]]; do
    DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1))
done
export DISPLAY=:$DISPLAY_NUMBER
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
BREVANE_PID=
finish() {
    [[ -n $BREVANE_PID ]] && kill "$BREVANE_PID" 2>/dev/null || true
    kill "$XVFB_PID" 2>/dev/null || true
}
trap finish EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

step=0
shot() {
    step=$((step + 1))
    sleep 0.5
    import -window root "$SHOTS/$(printf %02d "$step")-$1.png"
    echo "   screenshot: $SHOTS/$(printf %02d "$step")-$1.png"
}
# Clicks a control of the main window at its centre (coordinates inside the window).
click_at() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    xdotool mousemove $((X + $1)) $((Y + $2)) click 1
}

echo "== Brevane on virtual display $DISPLAY"
"$DEMO/Brevane/Brevane" &
BREVANE_PID=$!
WINDOW=$(xdotool search --sync --onlyvisible --name "Sql Server" | head -1)
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
shot "server-page"

echo "== Typing the password, choosing the server '.' and pressing Next"
printf '%s' "$PASSWORD" | xdotool type --delay 20 --file -
xdotool key Tab Tab End
shot "logon-filled"
xdotool key Tab space
sleep 2
shot "restore-page"

echo "== Choosing the folder $DEMO/Data"
click_at $((12 + 312 + 13)) $((12 + 78 + 10))
sleep 1.5
shot "folder-dialog"
xdotool key ctrl+a
xdotool type --delay 10 "$DEMO/Data/rivazadUZ.mdf"
xdotool key Return
sleep 1
shot "folder-chosen"

echo "== Pressing Create database"
click_at $((12 + 146 + 41)) $((12 + 156 + 10))
sleep 2
shot "result"
xdotool key Return
for _ in $(seq 50); do kill -0 "$BREVANE_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$BREVANE_PID" 2>/dev/null; then
    shot "still-open"
    echo "Brevane is still open: see the last screenshot for what it says."
fi
