#!/usr/bin/env bash
# Builds the Debian packages ostrevan and ostrevan-dataserver from the build tree into build/packages/.
#   packages.sh           build them (the tree is configured for /usr and built first)
#   packages.sh --check   also validate the desktop entry, metadata and service, install the packages with apt,
#                         run the installed programs against each other outside the source tree, remove them
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"
out="$build/packages"
started=$SECONDS

# file and dpkg-shlibdeps compute the dependencies; the validators check what the packages install.
bash "$here/scripts/install-packages.sh" file dpkg-dev desktop-file-utils appstream systemd
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls -l "$out"/*.deb
echo "packages built: $((SECONDS - started)) s"
[ "${1:-}" = --check ] || exit 0

desktop-file-validate "$here/packaging/ostrevan.desktop"
appstreamcli validate --no-net "$here/packaging/appstream/"*.metainfo.xml

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
work="$(mktemp -d)"
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get remove -y -qq --purge ostrevan ostrevan-dataserver \
        >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    "$out"/ostrevan_*.deb "$out"/ostrevan-dataserver_*.deb

# What the packages installed, checked where it lies.
# Manual pages are checked by their own test; a minimal machine may carry no man.
systemd-analyze verify --man=no /lib/systemd/system/ostrevan-dataserver.service
getent passwd ostrevan-dataserver >/dev/null
test -f /usr/share/ostrevan/guide.md
grep -o '](guide/[a-z0-9-]*\.png)' /usr/share/ostrevan/guide.md | tr -d '()]' | sort -u | while read -r picture; do
    test -f "/usr/share/ostrevan/$picture" || { echo "the installed guide lacks $picture" >&2; exit 1; }
done
for program in /usr/bin/ostrevan /usr/bin/ostrevan-cli /usr/bin/ostrevan-dataserver; do
    if grep -q -F "$here" "$program"; then
        echo "$program names the source or build folder $here" >&2
        exit 1
    fi
done

# The installed programs against each other, from a folder of their own with a clean environment:
# a demo form database, its server on loopback, and the CLI loading the demo's fields and asking for form.
cd "$work"
run() { env -i HOME="$work" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }
run ostrevan-dataserver generate-demo --db forms.db --seed 3 --years 1 --until 2026-06-30 --fields-dir fields
printf 'demo\n' | run ostrevan-dataserver add-user demo --db forms.db
port=$((20000 + RANDOM % 20000))
run ostrevan-dataserver serve --db forms.db --listen "127.0.0.1:$port" 2>server.log &
server_pid=$!
for _ in $(seq 50); do
    grep -q listen server.log 2>/dev/null && break
    sleep 0.1
done
cli() { run ostrevan-cli --settings "$work/settings.conf" "$@"; }
cli settings-set DBPath "$work/db" DataServer "127.0.0.1:$port" UserName demo UserPass demo >/dev/null
mkdir -p db
cli init
cli load-fields fields/*
# Whole answers to files first: a pipe into head would stop the program mid-answer (SIGPIPE, and pipefail).
cli find-horse a >horses.txt
horse="$(head -n 1 horses.txt | cut -f 1)"
test -n "$horse" || { echo "find-horse found nothing on the installed server" >&2; cat server.log >&2; exit 1; }
cli form horse "$horse" >form.txt
head -n 5 form.txt
test -s form.txt
meeting="$(sqlite3 db/Kelbrin.mdb 'SELECT MeetingCode FROM Meeting LIMIT 1' 2>/dev/null || true)"
if [ -n "$meeting" ]; then
    cli meeting-report "$meeting" --pdf report.pdf
    test -s report.pdf
fi
kill "$server_pid"
wait "$server_pid" || true
server_pid=""
echo "installed programs checked: $((SECONDS - started)) s"
