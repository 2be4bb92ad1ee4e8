# `cmake --install`: both programs in bin/, shellTool, veltrona-platform and the stand-in Mac tools
# in libexec/veltrona/ (veltrona-platform reached from bin/ too, through a link, as veltronactl's
# advice names it), the templates in share/veltrona/, the desktop entry, the icons and the man
# page. The programs find libexec/veltrona from their own folder (services/ResourceDirectory.h),
# so the relative places below are fixed, whatever the prefix.
set(VELTRONA_LIBEXEC libexec/veltrona)
set(VELTRONA_SHARE share/veltrona)
set(VELTRONA_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS Veltrona veltronactl RUNTIME DESTINATION bin)
install(TARGETS shellTool veltrona-platform RUNTIME DESTINATION ${VELTRONA_LIBEXEC})
install(TARGETS veltrona_launchctl veltrona_security veltrona_dscl veltrona_sudo veltrona_chown veltrona_vpnd_tool
                veltrona_vpnsessions_tool
        RUNTIME DESTINATION ${VELTRONA_LIBEXEC}/mac-tools)
install(TARGETS veltrona_loopback_bind LIBRARY DESTINATION ${VELTRONA_LIBEXEC}/mac-tools)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/VPNStuff DESTINATION ${VELTRONA_SHARE})
# The runner works in one resource directory holding shellTool and VPNStuff; the templates stay
# in share/ and are reached through a relative link, which survives a move of the whole prefix.
install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELTRONA_LIBEXEC}/VPNStuff\")
    file(REMOVE_RECURSE \"\${link}\")
    file(CREATE_LINK ../../${VELTRONA_SHARE}/VPNStuff \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> ../../${VELTRONA_SHARE}/VPNStuff\")
")

# veltronactl tells a user without an emulated Mac to run `veltrona-platform init`: it must be on
# PATH. The link keeps the program itself beside its mac-tools, which it finds from its real place.
install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/veltrona-platform\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK ../${VELTRONA_LIBEXEC}/veltrona-platform \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> ../${VELTRONA_LIBEXEC}/veltrona-platform\")
")

install(FILES ${VELTRONA_PACKAGING}/veltrona.desktop DESTINATION share/applications)
install(FILES ${VELTRONA_PACKAGING}/icons/veltrona.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${VELTRONA_PACKAGING}/icons/veltrona-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME veltrona.png)
endforeach()
install(FILES ${VELTRONA_PACKAGING}/veltronactl.1 DESTINATION share/man/man1)
