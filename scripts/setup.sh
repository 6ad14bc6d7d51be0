#!/usr/bin/env bash
# Installs what building and testing Ostrevan 2 needs on Debian 12, then configures and builds.
# Idempotent: quick when everything is already there.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"

# The sanitizer tree's compilers (sanitize.sh) and the packaging tools (packages.sh) are installed by those scripts.
# QtKeychain loads libsecret at run time; the keychain test runs gnome-keyring in a D-Bus session of its own.
# The MariaDB tests start their own server: its program and mariadb-install-db, not the boot-time service.
packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-multimedia-dev qt6-charts-dev libqt6sql6-sqlite libgl-dev
          libsqlite3-dev sqlite3 libmicrohttpd-dev libcpp-httplib-dev libssl-dev zlib1g-dev libbrotli-dev openssl
          poppler-utils fonts-dejavu-core qtkeychain-qt6-dev qt6-webengine-dev libxml2-dev libcurl4-openssl-dev
          libsecret-1-0 gnome-keyring dbus-daemon
          mariadb-server-core mariadb-client libmariadb-dev clang-format-14 git)
bash "$here/scripts/install-packages.sh" "${packages[@]}"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${OSTREVAN_BUILD_TYPE:-RelWithDebInfo}" \
          ${OSTREVAN_CMAKE_ARGS:-}
fi
cmake --build "$build" -j"$(nproc)"
