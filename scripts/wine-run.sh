#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly: what CMake and CTest use to run
# the cross-built tests (cmake/mingw-w64-x86_64.cmake). The prefix is
# WINEPREFIX when set (CI makes a fresh one), otherwise one of this user's
# kept in the temporary folder, made by the first start (about 10 s) while
# the others wait.
set -euo pipefail
export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="${TMPDIR:-/tmp}/kinfold-wine-$(id -u)"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wine wineboot --init >/dev/null 2>&1 || true
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
