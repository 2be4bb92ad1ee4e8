#!/bin/sh
# Runs what exists of Veltrona on the emulated Mac. Usage: run.sh BUILD_DIR [program options]
set -eu
build=$1; shift
echo "Veltrona is being built: the window is not there yet. Run the tests with: make test"
