#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kinfold Search
# need, when any is missing. Quiet when everything is there; never asks questions.
set -euo pipefail

packages=(
  g++ cmake make
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick desktop-file-utils
  fonts-dejavu-core fonts-dejavu-extra fonts-ipafont-gothic
  clang
  libcli11-dev nlohmann-json3-dev zlib1g-dev
  dpkg-dev file lintian
)
# The fuzzers' runtime; older releases ship it inside clang's own packages.
optional=(libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
for p in "${optional[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
     && apt-cache show "$p" >/dev/null 2>&1; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

. "$(dirname "$0")/as-root.sh"

how="with apt-get"
[ ${#as_root[@]} -gt 0 ] && how="with apt-get through sudo"
echo "install-deps: Kinfold Search needs these Debian packages to build, run and test, and they are missing; installing them $how: ${missing[*]}"
if ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
   || ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
          apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
  echo "install-deps: could not install them; run this in a terminal (sudo then asks for your password) or as root." >&2
  exit 1
fi
