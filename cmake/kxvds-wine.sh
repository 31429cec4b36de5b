#!/usr/bin/env bash
# Runs a Windows program under Wine in PREFIX, making the prefix on first use.
# usage: kxvds-wine.sh PREFIX PROGRAM [ARG...]
#        kxvds-wine.sh PREFIX --init       make the prefix, keep Wine's services up
#        kxvds-wine.sh PREFIX --shutdown   end every Wine process of the prefix
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM [ARG...] | --init | --shutdown" >&2
  exit 2
fi
prefix=$1
shift

export WINEPREFIX="$prefix"
export WINEDEBUG="${KXVDS_WINEDEBUG:--all}"
# No Mono or Gecko install prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Console programs only: never wait on a display that may not be there.
unset DISPLAY WAYLAND_DISPLAY

if [ "$1" = --shutdown ]; then
  if [ -d "$prefix" ]; then
    wineserver -k 2>/dev/null || true
  fi
  exit 0
fi

if ! wine --version >/dev/null 2>&1; then
  echo "kxvds-wine: wine cannot start; is wine32 installed and can this kernel run" \
       "32-bit programs? (scripts/test-all.sh sets both up)" >&2
  exit 1
fi

# Parallel test runs share one prefix: the first one makes it, the others wait.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.kxvds-ready" ]; then
  rm -rf "$prefix"
  if ! wineboot -i >"$prefix.log" 2>&1 || ! wineserver -w; then
    echo "kxvds-wine: making the Wine prefix failed, see $prefix.log" >&2
    exit 1
  fi
  touch "$prefix/.kxvds-ready"
fi
exec 9>&-

if [ "$1" = --init ]; then
  # Every start of Wine's own services costs long (far longer where 32-bit
  # code is emulated): keep one server, and the services, for the whole run.
  # It ends by itself ten minutes after its last program, or at --shutdown.
  wineserver -p600 >/dev/null 2>&1 || true
  wine cmd /c exit 0 >/dev/null 2>&1
  exit 0
fi
exec wine "$@"
