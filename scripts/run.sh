#!/bin/sh
# Runs Veltrona on the emulated Mac. Usage: run.sh BUILD_DIR [program options]
# With a display the window opens. Without one it runs under xvfb-run, logs in with the default
# emulated administrator's password ("veltrona"), saves a picture of the window and ends.
set -eu
build=$1; shift
app="$build/bin/Veltrona"

# The root the program will choose, the way it chooses it: --platform-root, then
# VELTRONA_PLATFORM_ROOT, then the per-user one. After a rebuild its stand-in tools are refreshed.
root=""
previous=""
for arg in "$@"; do
    case "$previous" in --platform-root) root=$arg ;; esac
    case "$arg" in --platform-root=*) root=${arg#--platform-root=} ;; esac
    previous=$arg
done
if [ -z "$root" ]; then
    case "${XDG_DATA_HOME:-}" in
        /*) data=$XDG_DATA_HOME ;;
        *) data="$HOME/.local/share" ;;
    esac
    root=${VELTRONA_PLATFORM_ROOT:-"$data/veltrona/platform"}
fi
if [ -f "$root/System/Library/CoreServices/SystemVersion.plist" ]; then
    "$build/bin/veltrona-platform" tools "$root" >/dev/null
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$app" "$@"
fi

picture="$build/veltrona-window.png"
echo "No display: running Veltrona under xvfb-run, logging in and saving a picture of the window."
echo "veltrona" | xvfb-run -a "$app" --login-password-stdin --screenshot "$picture" "$@"
