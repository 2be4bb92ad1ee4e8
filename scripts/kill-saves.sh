#!/bin/sh
# Kills a running save of the server files 200 times (or $1 times) at random moments and checks
# that every installed file still parses each time. CI runs 50 rounds as part of the tests.
# Usage: kill-saves.sh [ROUNDS] after `make build`.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
VELTRONA_KILL_ROUNDS=${1:-200} VELTRONA_BUILD_DIR="$top/build" \
    exec "$top/build/bin/vpnserver_tests" --gtest_filter='InterruptedSave.*'
