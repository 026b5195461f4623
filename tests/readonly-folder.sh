#!/usr/bin/env bash
# tests/readonly-folder.sh setup|cleanup DIR: a data folder the client may not write, for the
# tests of what a person is told then. DIR holds the sample fund database and is mounted
# read-only over itself, so that writing fails for root too (the suites run as root on the
# build machine). Without the right to mount, the folder stays writable and the tests that
# need it say so and skip.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "usage: $0 setup|cleanup DIR" >&2; exit 2; }
dir=$(realpath -m -- "$2")
mountpoint -q "$dir" && umount "$dir"
case $1 in
  cleanup) rm -rf "$dir"; exit 0 ;;
  setup) ;;
  *) echo "usage: $0 setup|cleanup DIR" >&2; exit 2 ;;
esac
rm -rf "$dir" && mkdir -p "$dir" || exit 1
"$here/../scripts/sample-db" "$dir/funds.db" --force >/dev/null || { echo "cannot write the sample database in $dir" >&2; exit 1; }
if mount --bind "$dir" "$dir" 2>/dev/null && mount -o remount,bind,ro "$dir" 2>/dev/null; then
  echo "read-only data folder: $dir"
else
  mountpoint -q "$dir" && umount "$dir"
  echo "read-only data folder: cannot mount $dir read-only (needs root); its tests skip"
fi
exit 0
