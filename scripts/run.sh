#!/usr/bin/env bash
# Sets up and builds Ostrevan 2, starts a local form-data server with demo data (made on the
# first run) and starts the application on its defaults, which point at that server.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"

data="${XDG_DATA_HOME:-$HOME/.local/share}/Ostrevan/demo"
mkdir -p "$data"
server="$build/dataserver/ostrevan-dataserver"
cli="$build/ostrevan-cli"
if [ ! -f "$data/forms.db" ]; then
    echo "Making the demo form data (once)..."
    "$server" generate-demo --db "$data/forms.db.new" --seed 1 --years 2 --fields-dir "$data/fields"
    printf 'demo\n' | "$server" add-user demo --db "$data/forms.db.new"
    mv "$data/forms.db.new" "$data/forms.db"
    echo "Field files of coming meetings are in $data/fields (load them with \"Add Data\")."
fi

# The application's default data server is 127.0.0.1:8421; give it the demo account once
# (values the agent has set are left alone, and named).
"$cli" settings-default UserName demo UserPass demo AddDataPath "$data/fields"
# Settings now exist, so the application would ask for its database: make it (once) here.
"$cli" init >/dev/null

"$server" serve --db "$data/forms.db" --listen 127.0.0.1:8421 2>>"$data/server.log" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true' EXIT
sleep 0.5
"$build/ostrevan" "$@"
