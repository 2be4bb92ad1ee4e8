# `cpack -G DEB` (run in the build folder): a .deb for Debian 12 whose Depends come from the
# programs' shared libraries (dpkg-shlibdeps) and the tools their commands run.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrona)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Veltrona developers <veltrona@brantholm.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VPN server manager for an emulated Mac (window and veltronactl)")
# One string: two would be joined into a list, with a ";" between them.
set(CPACK_PACKAGE_DESCRIPTION
    "Veltrona sets up and runs the L2TP/IPsec or PPTP VPN server of an emulated Mac: its settings,\n\
shared secret, VPN-only accounts and client profiles, from a window or from veltronactl.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Run by the programs' commands rather than linked: curl (update check), openssl (signing),
# dig (reverse look-up), sh and the core utilities.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "curl, openssl, bind9-dnsutils | dnsutils")
# The emulated Mac serves L2TP/IPsec with SoftEther; without it vpnd says so and serves nothing.
# With jemalloc, SoftEther keeps its memory steady over many connections.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "softether-vpnserver, libjemalloc2")
include(CPack)
