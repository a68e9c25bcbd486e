#!/usr/bin/env bash
# Installs the Debian package that `cpack -G DEB` made in the build folder,
# with the libraries it needs, as root or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

shopt -s nullglob
packages=(build/kinfold-search_*.deb)
if [ ${#packages[@]} -ne 1 ]; then
  echo "install-package: expected one build/kinfold-search_*.deb, found ${#packages[@]}; make it with (cd build && cpack -G DEB)." >&2
  exit 1
fi

. scripts/as-root.sh

# apt reads a local package as its own user _apt, who can't enter a home
# folder of mode 700 (Debian 12's default) and would make apt download it
# unsandboxed with a notice: install from a copy in a folder anyone can read.
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
chmod 755 "$copy"
cp "${packages[0]}" "$copy/"
deb="$copy/$(basename "${packages[0]}")"
chmod 644 "$deb"

echo "install-package: installing ${packages[0]} with apt-get${as_root:+ through sudo}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb"
