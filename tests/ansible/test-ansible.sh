#!/usr/bin/env bash
# Runs the example playbook of contrib/ansible with ansible-playbook, a local
# connection and two halls, against a stand-in of its own:
#   - check mode (with --diff) reports both halls changed and changes nothing;
#   - the first run creates both databases (changed), the second finds them
#     in place (ok, nothing sent that changes the server);
#   - a wrong password fails the task with the program's message;
#   - no password appears in anything Ansible printed, diffs included.
#
#   test-ansible.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SOURCE=$(cd "$2" && pwd)
PLAYBOOK=/usr/bin/ansible-playbook
if [[ ! -x $PLAYBOOK ]]; then
    echo "SKIP: $PLAYBOOK is missing (tools/scripts/install-deps.sh installs ansible-core)"
    exit 77
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/hall-ansible.XXXXXX")
STANDIN_PID=
cleanup() {
    [[ -n $STANDIN_PID ]] && kill "$STANDIN_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
fail() {
    printf 'FAIL: %s\n' "$*"
    failures=$((failures + 1))
}
pass() { printf 'ok: %s\n' "$*"; }

PASSWORD='Fleet#Pw7319'
WRONG='Wrong#Pw2468'
printf 'sa:%s\n' "$PASSWORD" >"$WORK/logins"
chmod 600 "$WORK/logins"
"$BUILD/bin/sqlserver-standin" serve --port 0 --data-dir "$WORK/standin" --login-file "$WORK/logins" \
    --statement-log "$WORK/statements.log" >"$WORK/port" 2>"$WORK/standin.err" &
STANDIN_PID=$!
for _ in $(seq 100); do
    [[ -s $WORK/port ]] && break
    sleep 0.1
done
PORT=$(head -n1 "$WORK/port" | grep -o '[0-9]*$')

mkdir -p "$WORK/DB"
"$BUILD/bin/sqlserver-standin" make-backup "$WORK/DB/rivazadUZ.Bak" \
    --data 'rivazadUZ_Data=C:\Data\rivazadUZ_Data.MDF' --log 'rivazadUZ_Log=C:\Data\rivazadUZ_Log.LDF'
HALLS=(hall01 hall02)
for hall in "${HALLS[@]}"; do
    mkdir -p "$WORK/$hall/Data"
    printf '[Program]\r\nLastUser=manager\r\n[SQL Server]\r\nPassWord=Old#Pw\r\n' >"$WORK/$hall/Connect.sys"
done
cat >"$WORK/inventory.yml" <<INVENTORY
halls:
  vars:
    ansible_connection: local
    ansible_python_interpreter: /usr/bin/python3
    hall_sql_server: "127.0.0.1,$PORT"
    hall_backup: "$WORK/DB/rivazadUZ.Bak"
    brevane_provision: "$BUILD/bin/brevane-provision"
  hosts:
    hall01:
      hall_database: Hall01
      hall_data_folder: "$WORK/hall01/Data"
      hall_settings: "$WORK/hall01/Connect.sys"
    hall02:
      hall_database: Hall02
      hall_data_folder: "$WORK/hall02/Data"
      hall_settings: "$WORK/hall02/Connect.sys"
INVENTORY
printf 'hall_sql_password: "%s"\n' "$PASSWORD" >"$WORK/right.yml"
printf 'hall_sql_password: "%s"\n' "$WRONG" >"$WORK/wrong.yml"

export ANSIBLE_COLLECTIONS_PATH="$SOURCE/contrib/ansible" ANSIBLE_FORKS=1 ANSIBLE_NOCOLOR=1 \
    ANSIBLE_LOCAL_TEMP="$WORK/ansible-tmp" ANSIBLE_REMOTE_TEMP="$WORK/ansible-tmp" ANSIBLE_RETRY_FILES_ENABLED=0
playbook() {
    local name=$1
    shift
    "$PLAYBOOK" -v -i "$WORK/inventory.yml" "$SOURCE/contrib/ansible/examples/provision-halls.yml" "$@" \
        >"$WORK/$name.out" 2>&1 || true
}
# The play recap's count for every hall, e.g. `recap first changed` gives "1 1".
recap() { grep -E '^hall0[12] ' "$WORK/$1.out" | grep -o "$2=[0-9]*" | cut -d= -f2 | xargs; }
changing() { grep -ciE 'sp_addumpdevice|sp_dropdevice|RESTORE DATABASE|DROP DATABASE' "$WORK/statements.log" || true; }
settings() { cat "$WORK"/hall0*/Connect.sys | md5sum; }

settings_before=$(settings)
playbook check --check --diff -e "@$WORK/right.yml"
[[ $(recap check changed) == "1 1" && $(recap check failed) == "0 0" ]] &&
    [[ $(changing) == 0 && $(settings) == "$settings_before" ]] && [[ -z $(find "$WORK"/hall0*/Data -type f) ]] &&
    grep -q '^+\[SQL Server\] PassWord=\*\*\*\*\*\*\*\* (changed)' "$WORK/check.out" &&
    pass "check mode reports both halls changed, shows the masked password and changes nothing" ||
    fail "check mode: $(cat "$WORK/check.out")"

playbook first --diff -e "@$WORK/right.yml"
[[ $(recap first changed) == "1 1" && $(recap first failed) == "0 0" ]] &&
    [[ -f $WORK/hall01/Data/Hall01.mdf && -f $WORK/hall02/Data/Hall02_Log.ldf ]] &&
    grep -q '^Initial Catalog=Hall02' "$WORK/hall02/Connect.sys" &&
    pass "the first run creates both databases" || fail "first run: $(cat "$WORK/first.out")"

sent_before=$(changing)
playbook second -e "@$WORK/right.yml"
[[ $(recap second changed) == "0 0" && $(recap second ok) == "1 1" && $(changing) == "$sent_before" ]] &&
    pass "the second run finds both halls in place" || fail "second run: $(cat "$WORK/second.out")"

playbook wrong -e "@$WORK/wrong.yml"
[[ $(recap wrong failed) == "1 1" ]] && grep -q "Login failed for user 'sa'" "$WORK/wrong.out" &&
    pass "a wrong password fails the task with the program's message" || fail "wrong password: $(cat "$WORK/wrong.out")"

if grep -lF -e "$PASSWORD" -e "$WRONG" "$WORK"/*.out; then
    fail "a password appears in Ansible's output"
else
    pass "no password in Ansible's output"
fi

ANSIBLE_COLLECTIONS_PATH="$SOURCE/contrib/ansible" ansible-doc -t module snooker_hall.brevane.provision |
    grep -q 'no_log\|Passed on standard input' && pass "ansible-doc shows the module's options" ||
    fail "ansible-doc does not show the module"

[[ $failures == 0 ]]
