#!/bin/sh
# Runs every benchmark that has been built. Usage: bench.sh BUILD_DIR
set -eu
build=$1
for b in "$build"/bin/*_bench; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
