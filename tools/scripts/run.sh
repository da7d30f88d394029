#!/usr/bin/env bash
# Builds Brevane and the SQL Server stand-in, lays out a program folder the
# way the product ships (the program, DB/rivazadUZ.Bak beside its folder, an
# existing Connect.sys in the parent folder), serves the stand-in on
# 127.0.0.1 port 1433 with a fresh data folder, and opens Brevane there.
# When Brevane closes, it stops the stand-in and shows what was created.
#
# With no display, Brevane runs under a virtual display: the script takes a
# screenshot of the window, then walks through one whole provisioning run
# with scripted input, taking a screenshot at each step.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"

DEMO=${BREVANE_DEMO_DIR:-$ROOT/build/demo}
PASSWORD=${BREVANE_DEMO_PASSWORD:-Snooker#147}
PORT=1433

tools/scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target Brevane sqlserver-standin
BIN=$ROOT/build/release/bin

echo "== Laying out the program folder in $DEMO"
rm -rf "$DEMO"
mkdir -p "$DEMO/Brevane" "$DEMO/DB" "$DEMO/Data" "$DEMO/server"
cp "$BIN/Brevane" "$DEMO/Brevane/"
"$BIN/sqlserver-standin" make-backup "$DEMO/DB/rivazadUZ.Bak" \
    --data 'rivazadUZ_Data=C:\Program Files\Microsoft SQL Server\MSSQL\Data\rivazadUZ_Data.MDF' \
    --log 'rivazadUZ_Log=C:\Program Files\Microsoft SQL Server\MSSQL\Data\rivazadUZ_Log.LDF'
printf '[Program]\r\nLastUser=manager\r\n\r\n[DataSource]\r\nDataBase=\r\n' > "$DEMO/Connect.sys"

echo "== Starting the SQL Server stand-in on 127.0.0.1:$PORT"
# The login goes through a file only this user can read, not the process list.
LOGINS=$DEMO/server/logins
(umask 077 && printf 'sa:%s\n' "$PASSWORD" > "$LOGINS")
"$BIN/sqlserver-standin" serve --port "$PORT" --data-dir "$DEMO/server" --login-file "$LOGINS" \
    --statement-log "$DEMO/server/statements.log" > "$DEMO/server/standin.out" 2> "$DEMO/server/standin.err" &
STANDIN=$!
XVFB=
cleanup() {
    kill "$STANDIN" 2>/dev/null || true
    wait "$STANDIN" 2>/dev/null || true
    if [[ -n $XVFB ]]; then kill "$XVFB" 2>/dev/null || true; fi
}
trap cleanup EXIT
for _ in $(seq 50); do
    [[ -s $DEMO/server/standin.out ]] && break
    kill -0 "$STANDIN" 2>/dev/null || { cat "$DEMO/server/standin.err"; echo "The stand-in did not start (is port $PORT taken?)"; exit 1; }
    sleep 0.1
done

echo
echo "   Log on with server '.', user name 'sa' and password '$PASSWORD'."
echo "   Choose $DEMO/Data as the folder of the new database."
echo

if [[ -n ${DISPLAY:-} ]]; then
    "$DEMO/Brevane/Brevane"
else
    BREVANE_DEMO_PASSWORD=$PASSWORD tools/scripts/walkthrough.sh "$DEMO"
fi

cleanup
trap - EXIT
echo
echo "== Connect.sys"
cat "$DEMO/Connect.sys" | tr -d '\r'
echo
echo "== Database files in $DEMO/Data"
ls -l "$DEMO/Data"
echo
echo "== The stand-in's catalogue ($DEMO/server)"
for f in "$DEMO"/server/*; do
    case "$f" in *.log|*.out|*.err|*/logins) continue ;; esac
    [[ -f $f ]] && { echo "-- $(basename "$f")"; cat "$f"; echo; }
done
echo "== Statements the server received: $DEMO/server/statements.log"
