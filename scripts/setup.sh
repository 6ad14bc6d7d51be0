#!/usr/bin/env bash
# Installs what building and testing Ostrevan 2 needs on Debian 12, then configures and builds.
# Idempotent: quick when everything is already there.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-multimedia-dev libqt6sql6-sqlite libgl-dev
          libsqlite3-dev sqlite3 libmicrohttpd-dev libcpp-httplib-dev libssl-dev zlib1g-dev libbrotli-dev openssl
          poppler-utils fonts-dejavu-core qtkeychain-qt6-dev qt6-webengine-dev libxml2-dev
          clang libclang-rt-14-dev libfuzzer-14-dev llvm
          mariadb-server mariadb-client libmariadb-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${OSTREVAN_BUILD_TYPE:-RelWithDebInfo}" \
          ${OSTREVAN_CMAKE_ARGS:-}
fi
cmake --build "$build" -j"$(nproc)"
