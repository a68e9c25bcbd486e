#!/usr/bin/env bash
# Installs the Debian packages that cross-building kinfold.exe for Windows and
# testing it under Wine need, when any is missing. Quiet when everything is
# there; never asks questions.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine64 wine
  libgtest-dev libgmock-dev
  libcli11-dev nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

. "$(dirname "$0")/as-root.sh"

how="with apt-get"
[ ${#as_root[@]} -gt 0 ] && how="with apt-get through sudo"
echo "install-windows-deps: building kinfold.exe and testing it under Wine needs these Debian packages, and they are missing; installing them $how: ${missing[*]}"
if ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
   || ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
          apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
  echo "install-windows-deps: could not install them; run this in a terminal (sudo then asks for your password) or as root." >&2
  exit 1
fi
