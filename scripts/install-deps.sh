#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt that are missing.
# Silent when everything is already there.
set -euo pipefail

list="$(dirname "${BASH_SOURCE[0]}")/packages.txt"

missing=()
while IFS= read -r line || [[ -n "$line" ]]; do
    package="${line%%#*}"
    package="${package//[[:space:]]/}"
    [[ -z "$package" ]] && continue
    status="$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)"
    [[ "$status" == "installed" ]] || missing+=("$package")
done < "$list"

((${#missing[@]} == 0)) && exit 0

if [[ "$(id -u)" -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "install-deps: missing packages (${missing[*]}) and no sudo to install them" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
# jackd2 asks whether to grant real-time priority; the tests run JACK without it.
if [[ " ${missing[*]} " == *" jackd2 "* ]]; then
    echo "jackd2 jackd/tweak_rt_limits boolean false" | "${as_root[@]}" debconf-set-selections
fi
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
