#!/bin/sh
# Runs a Windows program under 64-bit Wine in a prefix of the build's own,
# so that nothing outside the build folder is touched.
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
prefix=$1
shift
mkdir -p "$prefix" || exit 1
# No Mono or Gecko prompts, no debug chatter.
WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    exec /usr/lib/wine/wine64 "$@"
