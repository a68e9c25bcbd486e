# Sourced by the scripts that need root: sets as_root to the words that run a
# command as root. Root runs it as it is; a user goes through sudo, which asks
# for the password when there is a terminal to ask on and must not ask where
# there is none (CI, a pipe). Without root and without sudo it says so and
# gives up.
# shellcheck shell=bash

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  if [ -t 0 ]; then
    as_root=(sudo)
  else
    as_root=(sudo -n)
  fi
else
  echo "$(basename "$0"): this needs root and there is no sudo: run it as root." >&2
  exit 1
fi
