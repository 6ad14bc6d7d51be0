#!/usr/bin/env bash
# Sets up and builds Ostrevan 2, starts a local form-data server with demo data (made on the
# first run) on a free port and starts the application against it. The demo keeps settings, a
# database and a program folder of its own beside its data: it never reads or changes the
# agent's settings, database or keychain.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"

data="${XDG_DATA_HOME:-$HOME/.local/share}/Ostrevan/demo"
mkdir -p "$data/db" "$data/home"
server="$build/dataserver/ostrevan-dataserver"
cli="$build/ostrevan-cli"
if [ ! -f "$data/forms.db" ]; then
    echo "Making the demo form data (once)..."
    "$server" generate-demo --db "$data/forms.db.new" --seed 1 --years 2 --fields-dir "$data/fields"
    printf 'demo\n' | "$server" add-user demo --db "$data/forms.db.new"
    mv "$data/forms.db.new" "$data/forms.db"
    echo "Field files of coming meetings are in $data/fields (load them with \"Add Data\")."
fi

# A named settings file keeps the password in that file, never in the keychain.
export OSTREVAN_SETTINGS="$data/AppSettings.conf" OSTREVAN_HOME="$data/home"

# Port 0: the kernel gives a free one, and the server says which.
log="$data/server.log"
: >"$log"
"$server" serve --db "$data/forms.db" --listen 127.0.0.1:0 2>>"$log" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true' EXIT
address=""
for _ in $(seq 100); do
    address="$(sed -n 's/^listening on \(127\.0\.0\.1:[0-9]*\)$/\1/p' "$log")"
    [ -n "$address" ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$address" ]; then
    echo "The demo data server could not start:" >&2
    cat "$log" >&2
    exit 1
fi
echo "Demo data server on $address (log: $log)"

# The demo account and folders once (values changed since are left alone); the server's address every time.
"$cli" settings-default UserName demo UserPass demo DBPath "$data/db" AddDataPath "$data/fields" >/dev/null
"$cli" settings-set DataServer "$address"
# Settings now exist, so the application would ask for its database: make it (once) here.
"$cli" init >/dev/null
"$build/ostrevan" "$@"
