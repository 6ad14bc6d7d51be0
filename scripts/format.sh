#!/usr/bin/env bash
# Formats every C++ file git tracks with the project's .clang-format; --check changes nothing and fails, naming
# the files, when one is not formatted (the test suite runs it so). The formatter's version is pinned: another
# version formats some constructs differently.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
formatter=clang-format-14
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
    bad=()
    for file in "${files[@]}"; do
        "$formatter" --dry-run -Werror "$file" >/dev/null 2>&1 || bad+=("$file")
    done
    if [ ${#bad[@]} -gt 0 ]; then
        printf 'Not formatted (run scripts/format.sh):\n' >&2
        printf '  %s\n' "${bad[@]}" >&2
        exit 1
    fi
    exit 0
fi
"$formatter" -i "${files[@]}"
