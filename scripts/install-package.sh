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
echo "install-package: installing ${packages[0]} with apt-get${as_root:+ through sudo}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "./${packages[0]}"
