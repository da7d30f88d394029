#!/usr/bin/env bash
# Runs quilvet-host with the real accessibility stack and reads clsQuilvet as a
# screen reader does (ScreenReaderProbe.py): a virtual X display, a private
# D-Bus session, at-spi2-core's accessibility bus and registry, and Qt's AT-SPI
# bridge switched on.
#   ScreenReaderTest.sh QUILVET_HOST PROBE WORK_DIR
# Exits 77 (reported as skipped) only when a program the run needs is not installed.
set -uo pipefail

if [[ ${1:-} == --in-session ]]; then
    shift
    host=$1 probe=$2 work=$3
    # The launcher starts the accessibility bus, on which the registry
    # (at-spi2-registryd) is started the first time it is asked for.
    /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$work/bus.log" 2>&1 &
    launcher=$!
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 HALL_COMPONENT_REGISTRY="$work" \
        "$host" --store "$work/control.json" >"$work/host.log" 2>&1 &
    host_pid=$!
    /usr/bin/python3 "$probe"
    status=$?
    kill "$host_pid" "$launcher" 2>/dev/null
    wait "$host_pid" "$launcher" 2>/dev/null
    if ((status != 0)); then
        echo "--- quilvet-host's output"
        cat "$work/host.log"
    fi
    exit "$status"
fi

host=$1 probe=$2 work=$3
skip() {
    echo "SKIPPED: $1 is not installed"
    exit 77
}
for program in Xvfb dbus-run-session xdotool /usr/bin/python3 /usr/libexec/at-spi-bus-launcher \
    /usr/libexec/at-spi2-registryd; do
    command -v "$program" >/dev/null || skip "$program"
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi"

rm -rf "$work"
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
# Monday's price 1, the other day kinds 15: a digit typed after Monday's 1
# then changes no other box.
cat >"$work/control.json" <<'JSON'
{ "PriceWeek1": "1", "PriceWeek2": "15", "PriceWeek3": "15", "PriceWeek4": "15",
  "PriceWeek5": "15", "PriceWeek6": "15", "PriceWeek7": "15", "PriceWeek8": "15" }
JSON

# A display of its own, on a number the server picks; -noreset, since a server
# that resets when its last client leaves refuses connections meanwhile.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
if [[ ! -s $work/display ]]; then
    echo "Xvfb did not start:"
    cat "$work/xvfb.log"
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
if ! xdotool getdisplaygeometry >"$work/geometry" 2>&1; then
    echo "display $DISPLAY does not answer:"
    cat "$work/geometry" "$work/xvfb.log"
    ps -ef | grep -i "[x]vfb"
    exit 1
fi
dbus-run-session -- "$0" --in-session "$host" "$probe" "$work"
