# Installation layout and the Debian package, from the sources and what the build makes of them (the
# program's dependencies make all of it, so an install after building only the program is whole).
# The folders are named in the top CMakeLists.txt, which also tells the program where they are; on
# the first start of an installed copy the program fills the user's data folder from its data files.
install(TARGETS sieciownik sieciownik-feed RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The banner's web engine: a process of its own under X11, loaded into the program elsewhere.
install(TARGETS sieciownik-banner LIBRARY DESTINATION ${SIECIOWNIK_INSTALL_MODULEDIR})
install(TARGETS sieciownik-banner-host RUNTIME DESTINATION ${SIECIOWNIK_INSTALL_MODULEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/help.html ${PROJECT_BINARY_DIR}/shipped/TV.FEED ${PROJECT_BINARY_DIR}/shipped/RADIO.FEED
        DESTINATION ${SIECIOWNIK_INSTALL_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/pl.tarnowek.sieciownik.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/pl.tarnowek.sieciownik.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/sieciownik.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME pl.tarnowek.sieciownik.png)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/sieciownik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME pl.tarnowek.sieciownik.svg)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "sieciownik")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Tarnowek <sieciownik@tarnowek.pl>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Internet TV and radio directory with web search and privacy tools")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "video")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the shared-library scan cannot see: the media library (loaded with the first player), the
# platform plugin, the fonts, Qt's Polish texts, the desktop opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmpv2, qt6-qpa-plugins, qt6-translations-l10n, fonts-wine, xdg-utils")
# yt-dlp: the player's page resolver, for stations whose address is a broadcaster's web page.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mpv, yt-dlp")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
