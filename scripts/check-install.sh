#!/bin/sh
# Installs the build into a temporary prefix and runs both programs from there on fresh emulated
# Macs: they must find shellTool, the templates and veltrona-platform in the installed layout.
# Usage: scripts/check-install.sh BUILD_DIR        (run by CTest as install_layout)
set -eu
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/veltrona-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$prefix/install.log" || fail "cmake --install failed"
for file in bin/Veltrona bin/veltronactl bin/veltrona-platform libexec/veltrona/shellTool libexec/veltrona/veltrona-platform \
            libexec/veltrona/mac-tools/dscl libexec/veltrona/mac-tools/vpnd libexec/veltrona/mac-tools/vpnsessions \
            libexec/veltrona/mac-tools/loopback-bind.so libexec/veltrona/VPNStuff/com.brantholm.vpn.plist \
            share/veltrona/VPNStuff/VPN.mobileconfig share/applications/veltrona.desktop \
            share/icons/hicolor/scalable/apps/veltrona.svg share/icons/hicolor/48x48/apps/veltrona.png \
            share/man/man1/veltronactl.1; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done

ctl=$prefix/bin/veltronactl
"$ctl" --version | grep -q '^veltronactl ' || fail "veltronactl --version"
# As veltronactl advises on a missing emulated Mac: veltrona-platform from PATH.
echo secret | PATH="$prefix/bin:$PATH" veltrona-platform init "$prefix/mac" --admin admin > /dev/null \
    || fail "the installed veltrona-platform could not make an emulated Mac from PATH"
# Without vpnd the job stays loaded with no PID: nothing serves on this machine's own UDP 500.
rm "$prefix/mac/usr/sbin/vpnd"
export VELTRONA_ADMIN_PASSWORD=secret
"$ctl" --platform-root "$prefix/mac" start | grep -q 'running' || fail "veltronactl start"
"$ctl" --platform-root "$prefix/mac" settings set host=vpn.example.org > /dev/null || fail "veltronactl settings set"
"$ctl" --platform-root "$prefix/mac" status --json | grep -q '"loaded":true,"serving":{"active":false,"detail":"vpnd is not running"},"settings":{"type":"L2TP","host":"vpn.example.org"' \
    || fail "veltronactl status after start"
"$ctl" --platform-root "$prefix/mac" stop > /dev/null || fail "veltronactl stop"

# The window: log in on a fresh Mac, which installs the server files through the installed shellTool.
echo secret | "$prefix/libexec/veltrona/veltrona-platform" init "$prefix/mac2" --admin admin > /dev/null
echo secret | QT_QPA_PLATFORM=offscreen "$prefix/bin/Veltrona" --platform-root "$prefix/mac2" \
    --login-password-stdin --quit-when-ready > "$prefix/window.log" 2>&1 || fail "Veltrona: $(cat "$prefix/window.log")"
[ -f "$prefix/mac2/usr/local/quillfen/vpn/com.brantholm.vpn.plist" ] || fail "the installed window did not install the server files"
echo "check-install: both programs run from $prefix"
