#!/usr/bin/env bash
# Runs rows of a unit test that root skips (permission bits do not stop root)
# as the unprivileged user "nobody". Any other user ran them with the rest.
# Arguments: the test program, then its rows as function:tag.
set -euo pipefail
if [ "$(id -u)" != 0 ]; then
  echo "not root: these rows ran with the rest of the unit's tests"
  exit 77
fi
program=$1
shift
# A folder of the test's own that the user can reach, whatever the build folder allows.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/"
chmod 755 "$dir" "$dir/$(basename "$program")"
cd "$dir"
output=$(setpriv --reuid=nobody --regid=nogroup --clear-groups -- "./$(basename "$program")" "$@" 2>&1) || {
  echo "$output"
  exit 1
}
echo "$output"
# A row that skips here too was not tested at all.
if grep -q '^SKIP' <<<"$output"; then
  echo "FAIL: rows skipped as an unprivileged user too"
  exit 1
fi
