#!/usr/bin/env bash
# Builds the Debian packages ostrevan and ostrevan-dataserver from the build tree into build/packages/.
#   packages.sh           build them (the tree is configured for /usr and built first)
#   packages.sh --check   also validate the desktop entry, metadata and service, install the packages with apt,
#                         check modes and ELF hardening, run the README's administrator block as written and the
#                         service as its unit runs it, query it with the installed ostrevan-cli from outside the
#                         source tree, upgrade (where systemd runs), purge; stops all it started
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"
out="$build/packages"
started=$SECONDS

# file and dpkg-shlibdeps compute the dependencies; the validators check what the packages install; ps reads the
# service's command line.
bash "$here/scripts/install-packages.sh" file dpkg-dev desktop-file-utils appstream systemd procps
bash "$here/scripts/setup.sh"
# Packages are built hardened (OSTREVAN_HARDENING=OFF in the environment skips it, and its check, for a quick try).
cmake -S "$here" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr -DOSTREVAN_HARDENING="${OSTREVAN_HARDENING:-ON}" >/dev/null
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
state=/var/lib/ostrevan-dataserver
conf=/etc/ostrevan/dataserver.conf
wants=/etc/systemd/system/multi-user.target.wants/ostrevan-dataserver.service
systemd_runs=false
[ -d /run/systemd/system ] && systemd_runs=true
work="$(mktemp -d)"
chmod 755 "$work"
server_pid=""
# Stops what the check started: the service, or the server started as the unit would; then the packages.
stop_server() {
    if $systemd_runs; then
        $sudo_cmd systemctl disable --now ostrevan-dataserver >/dev/null 2>&1 || true
    elif [ -n "$server_pid" ]; then
        $sudo_cmd kill "$server_pid" 2>/dev/null || true
        while kill -0 "$server_pid" 2>/dev/null; do sleep 0.1; done
    fi
    server_pid=""
}
purge() {
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get remove -y -qq --purge ostrevan ostrevan-dataserver >/dev/null 2>&1
}
cleanup() {
    stop_server
    purge || true
    $sudo_cmd rm -rf "$state"
    rm -rf "$work"
}
trap cleanup EXIT
# A machine that ran this before starts afresh: purge keeps the state folder on purpose.
purge || true
$sudo_cmd rm -rf "$state"
install_packages() {
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "$@" \
        "$out"/ostrevan_*.deb "$out"/ostrevan-dataserver_*.deb
}
install_packages

# What the packages installed, checked where it lies.
# Manual pages are checked by their own test; a minimal machine may carry no man.
systemd-analyze verify --man=no /lib/systemd/system/ostrevan-dataserver.service
getent passwd ostrevan-dataserver >/dev/null
test -f /usr/share/ostrevan/guide.md
grep -o '](guide/[a-z0-9-]*\.png)' /usr/share/ostrevan/guide.md | tr -d '()]' | sort -u | while read -r picture; do
    test -f "/usr/share/ostrevan/$picture" || { echo "the installed guide lacks $picture" >&2; exit 1; }
done
hardened=true
if grep -q '^OSTREVAN_HARDENING:BOOL=OFF' "$build/CMakeCache.txt"; then
    hardened=false
    echo "the build tree was configured with -DOSTREVAN_HARDENING=OFF: the programs' hardening is not checked"
fi
for program in /usr/bin/ostrevan /usr/bin/ostrevan-cli /usr/bin/ostrevan-dataserver; do
    if grep -q -F "$here" "$program"; then
        echo "$program names the source or build folder $here" >&2
        exit 1
    fi
    $hardened || continue
    # The distribution's hardening: full RELRO with immediate binding, a stack protector, fortified calls.
    # Read whole before grep: grep -q stops at the first match, and under pipefail readelf's SIGPIPE would fail it.
    headers=$(readelf -lW "$program")
    dynamic=$(readelf -dW "$program")
    symbols=$(readelf --dyn-syms -W "$program")
    grep -q GNU_RELRO <<<"$headers" || { echo "$program has no RELRO" >&2; exit 1; }
    grep -q -E 'BIND_NOW|FLAGS.*\bNOW\b' <<<"$dynamic" || { echo "$program binds lazily" >&2; exit 1; }
    grep -q '__stack_chk_fail' <<<"$symbols" || { echo "$program has no stack protector" >&2; exit 1; }
    grep -q -E '__[a-z0-9_]+_chk(@|$)' <<<"$symbols" || { echo "$program calls no fortified functions" >&2; exit 1; }
done
modes() { stat -c '%a %U:%G' "$1"; }
test "$(modes "$state")" = "750 ostrevan-dataserver:ostrevan-dataserver" \
    || { echo "state folder: $(modes "$state")" >&2; exit 1; }
test "$(modes "$conf")" = "640 root:ostrevan-dataserver" || { echo "$conf: $(modes "$conf")" >&2; exit 1; }

# The administrator's first day as the README tells it: its "sudo -u" lines run as written (sudo itself, or the
# same through setpriv where no sudo is installed), then the service runs as its unit runs it.
if ! command -v sudo >/dev/null; then
    sudo() {
        [ "$1" = -u ] || { echo "sudo stand-in: only sudo -u USER COMMAND" >&2; return 2; }
        local user=$2
        shift 2
        setpriv --reuid="$user" --regid="$user" --init-groups -- "$@"
    }
    export -f sudo
fi
block="$(sed -n '/^sudo apt-get install .*ostrevan-dataserver_/,/^```/p' "$here/README.md")"
as_written="$(grep '^sudo -u ostrevan-dataserver ' <<<"$block")"
test "$(wc -l <<<"$as_written")" -eq 2 || { echo "the README's administrator block changed:" >&2; echo "$block" >&2; exit 1; }
while read -r line; do
    echo "+ $line"
    (cd / && printf 'agent-pw\n' | bash -c "$line")
done <<<"$as_written"
bad="$(find "$state" -perm /o=rwx)"
test -z "$bad" || { echo "open to every local user: $bad" >&2; exit 1; }

# sudoedit: a free port.
port=$((20000 + RANDOM % 20000))
$sudo_cmd sed -i "s/^LISTEN=.*/LISTEN=127.0.0.1:$port/" "$conf"
if $systemd_runs; then
    $sudo_cmd systemctl enable --now ostrevan-dataserver
    server_pid="$(systemctl show -p MainPID --value ostrevan-dataserver)"
else
    # As the unit runs it: its command line over the settings file's values, as its user, in its state folder.
    $sudo_cmd systemctl enable ostrevan-dataserver 2>/dev/null || $sudo_cmd ln -sf /lib/systemd/system/ostrevan-dataserver.service "$wants"
    command_line="$(sed -n 's/^ExecStart=//p' /lib/systemd/system/ostrevan-dataserver.service)"
    # Every step execs the next, so the process started here is the server itself, and stopping it stops the server.
    (exec $sudo_cmd env -i PATH=/usr/bin:/bin bash -c "cd $state && umask 0077 && set -a && . $conf && set +a &&
        exec setpriv --reuid=ostrevan-dataserver --regid=ostrevan-dataserver --init-groups --no-new-privs $command_line" \
        2>"$work/server.log") &
    server_pid=$!
fi
for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done
args="$(ps -o args= -p "$server_pid" || true)"
case "$args" in
*"serve --db $state/forms.db --listen 127.0.0.1:$port"*) ;;
*) echo "the service runs as \"$args\"" >&2; exit 1 ;;
esac

# The installed programs against the service, from a folder of their own with a clean environment: the fields
# of a demo made here loaded, form asked for.
cd "$work"
run() { env -i HOME="$work" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }
run ostrevan-dataserver generate-demo --db demo.db --seed 3 --years 1 --until 2026-06-30 --fields-dir fields >/dev/null
cli() { run ostrevan-cli --settings "$work/settings.conf" "$@"; }
cli settings-set DBPath "$work/db" DataServer "127.0.0.1:$port" UserName agent UserPass agent-pw >/dev/null
mkdir -p db
cli init
cli load-fields fields/*
# Whole answers to files first: a pipe into head would stop the program mid-answer (SIGPIPE, and pipefail).
cli find-horse a >horses.txt
horse="$(head -n 1 horses.txt | cut -f 1)"
test -n "$horse" || { echo "find-horse found nothing on the installed service" >&2; cat "$work/server.log" >&2; exit 1; }
cli form horse "$horse" >form.txt
head -n 5 form.txt
test -s form.txt
meeting="$(sqlite3 db/Kelbrin.mdb 'SELECT MeetingCode FROM Meeting LIMIT 1' 2>/dev/null || true)"
if [ -n "$meeting" ]; then
    cli meeting-report "$meeting" --pdf report.pdf
    test -s report.pdf
fi

# An upgrade (the same packages again) puts a running service on the new program.
if $systemd_runs; then
    install_packages --reinstall >/dev/null
    sleep 1
    test "$(systemctl show -p MainPID --value ostrevan-dataserver)" != "$server_pid" \
        || { echo "the upgrade left the old server running" >&2; exit 1; }
fi
stop_server
# Purge: the settings and the enabled link go; the form database stays, and says so.
purge
test ! -e "$conf" || { echo "purge left $conf" >&2; exit 1; }
test ! -L "$wants" || { echo "purge left $wants" >&2; exit 1; }
test -f "$state/forms.db" || { echo "purge deleted the form database" >&2; exit 1; }
echo "installed programs checked: $((SECONDS - started)) s"
