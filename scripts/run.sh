#!/usr/bin/env bash
# Installs, builds (Release) and starts the editor; arguments go to the editor.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

echo "run: checking the Debian packages the editor needs"
bash scripts/install-deps.sh

generator=()
# An existing build folder keeps the generator it was made with.
if [[ ! -f build/release/CMakeCache.txt ]] && command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi

echo "run: configuring the Release build in build/release"
cmake -S . -B build/release "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
# Only the program, its skin and its user guide: the tests, benchmarks and demos are
# scripts/test.sh's business.
echo "run: building the editor (VediduEditor and its user guide)"
cmake --build build/release -j"$(nproc)" --target editor

if [[ ! -x build/release/VediduEditor ]]; then
    echo "run: the build made no editor (build/release/VediduEditor is missing); see the build output above" >&2
    exit 1
fi
echo "run: starting build/release/VediduEditor"
exec build/release/VediduEditor "$@"
