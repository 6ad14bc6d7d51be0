#!/bin/sh
# Runs a test in a D-Bus session of its own with a new, unlocked gnome-keyring under a temporary home,
# so the user's own keyring is never touched. Where no secret service can be started the test is told
# why (OSTREVAN_NO_SECRET_SERVICE) and skips, saying so.
set -u
if ! command -v dbus-run-session >/dev/null 2>&1 || ! command -v gnome-keyring-daemon >/dev/null 2>&1; then
    OSTREVAN_NO_SECRET_SERVICE="dbus-run-session or gnome-keyring-daemon is missing (scripts/setup.sh installs gnome-keyring and dbus-x11)" \
        exec "$@"
fi
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home/run"
unset OSTREVAN_SETTINGS OSTREVAN_NO_KEYCHAIN
export OSTREVAN_TEST_HOME="$home"
dbus-run-session -- sh -c '
    printf "test-keyring" | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1 \
        || export OSTREVAN_NO_SECRET_SERVICE="gnome-keyring-daemon did not start in a D-Bus session"
    "$@"
' sh "$@"
