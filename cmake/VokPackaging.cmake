# Installing the programs, and the Debian package CPack makes of that installation.
include(GNUInstallDirs)
install(TARGETS vokplayer vokplay-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_PACKAGE_NAME vokplayer)
set(CPACK_PACKAGE_VENDOR "Kestrovane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Karaoke player that shows lyrics in time with the music")
set(CPACK_PACKAGE_CONTACT "Kestrovane Vokalento developers <vokalento@kestrovane.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts the lyrics are drawn in ("Arial" resolves to Liberation Sans).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, shared-mime-info")
# Only the program and its data go into the package, not the test tools.
set(CPACK_STRIP_FILES ON)
include(CPack)
