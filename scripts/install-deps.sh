#!/bin/sh
# Installs the Debian packages the build, the tests and the program need, when any is missing.
# As root it installs them itself; otherwise it prints the one command to run and fails.
set -eu

packages="build-essential cmake ninja-build pkg-config ccache
qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
libplist-dev libplist-utils libssl-dev libicu-dev openssl curl dnsutils
nlohmann-json3-dev libcpp-httplib-dev libqrencode-dev zbar-tools libjemalloc2
libgtest-dev libgmock-dev libbenchmark-dev locales
xvfb xauth
softether-vpnserver iproute2 python3 python3-pycryptodome"

missing=""
for p in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $p" ;;
    esac
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages:$missing"
    export DEBIAN_FRONTEND=noninteractive
    # vpnd runs SoftEther itself, inside the emulated Mac; the package's own system service must
    # never start, whether or not policy-rc.d forbids it.
    mkdir -p /etc/systemd/system
    [ -e /etc/systemd/system/softether-vpnserver.service ] \
        || ln -s /dev/null /etc/systemd/system/softether-vpnserver.service
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
else
    echo "Missing packages. Run this once, then try again:"
    echo "  sudo apt-get update && sudo apt-get install -y$missing"
    exit 1
fi
