#!/usr/bin/env bash
# The core library needs nothing of Qt Widgets or Qt D-Bus: none of the
# symbols it leaves to others is defined there.
# Usage: corelink.sh CORE_ARCHIVE QT_LIBRARY...
set -euo pipefail
core=$1
shift
needed=$(mktemp)
trap 'rm -f "$needed"' EXIT
nm --undefined-only --format=posix "$core" | awk 'NF >= 2 && $2 == "U" { print $1 }' | sort -u >"$needed"
if [[ ! -s $needed ]]; then
  echo "no undefined symbols read from $core" >&2
  exit 1
fi
status=0
for library in "$@"; do
  found=$(nm -D --defined-only --format=posix "$library" | awk '{ sub(/@.*/, "", $1); print $1 }' | sort -u | comm -12 "$needed" -)
  if [[ -n $found ]]; then
    echo "$core uses $(wc -l <<<"$found") symbols of $library, among them:" >&2
    head -5 <<<"$found" | c++filt >&2
    status=1
  fi
done
exit $status
