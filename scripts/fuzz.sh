#!/bin/sh
# Builds the fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# each for a while. Usage: fuzz.sh [SECONDS_EACH] (default 120). Not part of the tests or CI.
set -eu
seconds=${1:-120}
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$sanitize" -DVELTRONA_FUZZ=ON >/dev/null
cmake --build "$build" -j 2 --target plist_fuzz base64_fuzz
for target in plist base64; do
    corpus="$build/corpus-$target"
    mkdir -p "$corpus"
    echo "== $target: $seconds s"
    "$build/bin/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus"
done
