#!/usr/bin/env bash
# Runs every benchmark script in this folder against the build tree given as first argument.
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(dirname "$0")
status=0
for b in "$here"/*/bench-*.sh "$here"/bench-*.sh; do
    [ -e "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" "$build" || status=1
done
exit $status
