#!/bin/sh
# Builds the .deb with CPack and checks it: its files and Depends (dpkg-deb -c/-I), that apt could
# install it with its dependencies (a simulation), and that the unpacked programs run.
# Usage: scripts/check-deb.sh [BUILD_DIR]        (default: build)
set -eu
build=${1:-build}
for tool in cpack dpkg-deb; do
    command -v "$tool" > /dev/null || { echo "check-deb: $tool is not available; skipped"; exit 0; }
done
fail() { echo "check-deb: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB > cpack.log 2>&1) || fail "cpack failed: see $build/cpack.log"
deb=$(ls -t "$build"/veltrona_*.deb | head -n 1)
echo "check-deb: $deb"

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/Veltrona ./usr/bin/veltronactl ./usr/libexec/veltrona/shellTool \
            ./usr/libexec/veltrona/veltrona-platform ./usr/bin/veltrona-platform ./usr/libexec/veltrona/mac-tools/launchctl \
            ./usr/libexec/veltrona/mac-tools/dscl ./usr/libexec/veltrona/mac-tools/security \
            ./usr/libexec/veltrona/mac-tools/sudo ./usr/libexec/veltrona/mac-tools/chown \
            ./usr/libexec/veltrona/VPNStuff ./usr/share/veltrona/VPNStuff/VPN.mobileconfig \
            ./usr/share/applications/veltrona.desktop ./usr/share/icons/hicolor/scalable/apps/veltrona.svg \
            ./usr/share/icons/hicolor/256x256/apps/veltrona.png ./usr/share/man/man1/veltronactl.1; do
    echo "$contents" | grep -q " $file\( \|$\)" || fail "$file is missing from the package"
done
echo "$contents" | grep -q './usr/libexec/veltrona/VPNStuff -> ../../share/veltrona/VPNStuff' \
    || fail "libexec/veltrona/VPNStuff is not the link into share/"

echo "$contents" | grep -q './usr/bin/veltrona-platform -> ../libexec/veltrona/veltrona-platform' \
    || fail "bin/veltrona-platform is not the link into libexec/"
# Every line of the long description is text: no list separator left over from CMake.
dpkg-deb -f "$deb" Description | grep -q '^ *;' && fail "the description has a stray ';': $(dpkg-deb -f "$deb" Description)"

depends=$(dpkg-deb -f "$deb" Depends)
echo "check-deb: Depends: $depends"
for package in libqt6widgets6 libplist libcpp-httplib libqrencode curl openssl libc6; do
    echo "$depends" | grep -q "$package" || fail "Depends lacks $package"
done
dpkg-deb -f "$deb" Recommends | grep -q softether-vpnserver || fail "Recommends lacks softether-vpnserver"

if command -v apt-get > /dev/null; then
    apt-get install -s "$(realpath "$deb")" > "$build/apt-simulate.log" 2>&1 \
        || fail "apt-get could not resolve the package's dependencies: see $build/apt-simulate.log"
    echo "check-deb: apt-get install (simulated) resolves every dependency"
fi

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/veltrona-deb.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
# A new user follows veltronactl's advice on a missing emulated Mac, with the package's bin/ on PATH.
advice=$(PATH="$unpacked/usr/bin:$PATH" VELTRONA_ADMIN_PASSWORD=secret \
    "$unpacked/usr/bin/veltronactl" --platform-root "$unpacked/mac" status 2>&1 || true)
command=$(echo "$advice" | sed -n 's/.*Make one with: //p' | sed 's/NAME$/admin/')
[ -n "$command" ] || fail "veltronactl gave no advice on a missing emulated Mac: $advice"
echo secret | PATH="$unpacked/usr/bin:$PATH" sh -c "$command" > /dev/null \
    || fail "the advice '$command' does not work with the package's programs on PATH"
# Without vpnd the job stays loaded with no process: nothing serves on this machine's own ports.
rm "$unpacked/mac/usr/sbin/vpnd"
VELTRONA_ADMIN_PASSWORD=secret "$unpacked/usr/bin/veltronactl" --platform-root "$unpacked/mac" start \
    | grep -q running || fail "the packaged veltronactl could not start the server"
VELTRONA_ADMIN_PASSWORD=secret "$unpacked/usr/bin/veltronactl" --platform-root "$unpacked/mac" stop > /dev/null \
    || fail "the packaged veltronactl could not stop the server"
echo "check-deb: the unpacked programs run"
