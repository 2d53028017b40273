#!/usr/bin/env bash
# Installs, builds (Release) and starts the editor; arguments go to the editor.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh

generator=()
# An existing build folder keeps the generator it was made with.
if [[ ! -f build/release/CMakeCache.txt ]] && command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi

cmake -S . -B build/release "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)"

if [[ ! -x build/release/VediduEditor ]]; then
    echo "run: the build made no editor (build/release/VediduEditor is missing); see the build output above" >&2
    exit 1
fi
exec build/release/VediduEditor "$@"
