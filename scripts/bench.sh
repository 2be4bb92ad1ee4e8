#!/bin/sh
# Runs every benchmark that has been built. Usage: bench.sh BUILD_DIR
set -eu
build=$1
for b in "$build"/bin/*_bench; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
# The server against real clients, in network namespaces of its own (root only; skipped otherwise).
echo "== serving_bench"
VELTRONA_BUILD_DIR="$build" /usr/bin/python3 -B "$(dirname "$0")/../bench/serving_bench.py"
VELTRONA_BUILD_DIR="$build" /usr/bin/python3 -B "$(dirname "$0")/../bench/serving_bench.py" 99
VELTRONA_BUILD_DIR="$build" /usr/bin/python3 -B "$(dirname "$0")/../bench/serving_cycles_bench.py" 1000
