#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly: what CMake and CTest use to run
# the cross-built tests. A prefix of its own in a fresh temporary folder
# unless WINEPREFIX names one (the first start makes it, in about 10 s).
set -euo pipefail
export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/kinfold-wine.XXXXXX")"
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
  wine "$@"
  exit
fi
exec wine "$@"
