#!/usr/bin/env bash
# Runs a Windows program under Wine in PREFIX, making the prefix on first use.
# usage: kxvds-wine.sh ARCH PREFIX PROGRAM [ARG...]
#        kxvds-wine.sh ARCH PREFIX --init       make the prefix, keep Wine's services up
#        kxvds-wine.sh ARCH PREFIX --shutdown   end every Wine process of the prefix
# ARCH is win64 (the 64-bit loader, which any x86-64 kernel runs) or win32
# (the 32-bit loader, which needs a kernel that runs 32-bit code).
set -euo pipefail

if [ $# -lt 3 ]; then
  echo "usage: $0 win32|win64 PREFIX PROGRAM [ARG...] | --init | --shutdown" >&2
  exit 2
fi
arch=$1
prefix=$2
shift 2

case "$arch" in
  win64) loader=/usr/lib/wine/wine64 ;;
  win32) loader=/usr/lib/wine/wine ;;
  *) echo "kxvds-wine: unknown architecture $arch" >&2; exit 2 ;;
esac
export WINEARCH="$arch"
export WINELOADER="$loader"
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

if ! "$loader" --version >/dev/null 2>&1; then
  echo "kxvds-wine: $loader cannot start; is Wine installed for $arch, and for win32," \
       "does this kernel run 32-bit programs? (scripts/test-all.sh sets both up)" >&2
  exit 1
fi

# Parallel test runs share one prefix: the first one makes it, the others wait.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.kxvds-ready" ]; then
  rm -rf "$prefix"
  if ! "$loader" wineboot -i >"$prefix.log" 2>&1 </dev/null || ! wineserver -w; then
    echo "kxvds-wine: making the Wine prefix failed, see $prefix.log" >&2
    exit 1
  fi
  touch "$prefix/.kxvds-ready"
fi
exec 9>&-

if [ "$1" = --init ]; then
  # Every start of Wine's own services costs seconds: keep one server, and
  # the services, for the whole run. It ends by itself ten minutes after its
  # last program, or at --shutdown.
  wineserver -p600 >/dev/null 2>&1 </dev/null || true
  "$loader" cmd /c exit 0 >/dev/null 2>&1 </dev/null
  exit 0
fi

# Wine may start helpers (its desktop process, services) from inside the
# program, and they inherit its standard handles and outlive it. A caller
# that reads our output through a pipe (ctest) would then wait for them, so
# the program writes to files that are shown once it has ended.
output=$(mktemp -d "${TMPDIR:-/tmp}/kxvds-wine.XXXXXX")
trap 'rm -rf "$output"' EXIT
status=0
"$loader" "$@" >"$output/stdout" 2>"$output/stderr" </dev/null || status=$?
cat "$output/stdout"
cat "$output/stderr" >&2
exit "$status"
