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
  clang clang-format
  libcli11-dev nlohmann-json3-dev zlib1g-dev
  dpkg-dev file lintian
)
# The fuzzers' runtime; older releases ship it inside clang's own packages.
optional=(libclang-rt-14-dev)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
# The optional packages not installed that the package lists know of.
optional_missing() {
  for p in "${optional[@]}"; do
    if ! installed "$p" && apt-cache show "$p" >/dev/null 2>&1; then
      echo "$p"
    fi
  done
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
mapfile -t extra < <(optional_missing)
[ ${#missing[@]} -eq 0 ] && [ ${#extra[@]} -eq 0 ] && exit 0

. "$(dirname "$0")/as-root.sh"

all=("${missing[@]}" "${extra[@]}")
# Without a terminal sudo can't ask for a password: find out before saying anything will happen.
if [ "${as_root[*]-}" = "sudo -n" ] && ! sudo -n true 2>/dev/null; then
  echo "install-deps: Kinfold Search needs these Debian packages to build, run and test, and they are missing: ${all[*]}." >&2
  echo "install-deps: sudo needs your password and there is no terminal to ask on; run this in a terminal or as root." >&2
  exit 1
fi

how="with apt-get"
[ ${#as_root[@]} -gt 0 ] && how="with apt-get through sudo"
echo "install-deps: Kinfold Search needs these Debian packages to build, run and test, and they are missing; installing them $how: ${all[*]}"

# apt's own progress on a terminal; a line per stage elsewhere.
quiet=(-qq)
[ -t 1 ] && quiet=()
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)

echo "install-deps: updating the package lists"
if ! "${apt[@]}" update "${quiet[@]}"; then
  echo "install-deps: could not update the package lists." >&2
  exit 1
fi
# A machine that had no package lists knows the optional packages only now.
mapfile -t extra < <(optional_missing)
all=("${missing[@]}" "${extra[@]}")
[ ${#all[@]} -eq 0 ] && exit 0

echo "install-deps: downloading and installing ${#all[@]} packages"
if [ -t 1 ]; then
  "${apt[@]}" install -y --no-install-recommends "${all[@]}" || failed=1
else
  "${apt[@]}" install -y -qq --no-install-recommends "${all[@]}" >/dev/null || failed=1
fi
if [ "${failed-0}" -ne 0 ]; then
  echo "install-deps: could not install them; run this in a terminal (sudo then asks for your password) or as root." >&2
  exit 1
fi
echo "install-deps: done"
