# Installation layout and the Debian package. The program's data files go to share/sieciownik; on the
# first start of an installed copy the program fills the user's data folder from them.
include(GNUInstallDirs)

install(TARGETS sieciownik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Loaded by the program when the banner first loads (found as ../lib/sieciownik from the program).
install(TARGETS sieciownik-banner LIBRARY DESTINATION lib/sieciownik)
install(FILES ${PROJECT_BINARY_DIR}/bin/help.html DESTINATION ${CMAKE_INSTALL_DATADIR}/sieciownik)
install(FILES ${PROJECT_BINARY_DIR}/shipped/TV.FEED ${PROJECT_BINARY_DIR}/shipped/RADIO.FEED
        DESTINATION ${CMAKE_INSTALL_DATADIR}/sieciownik)
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
# What the shared-library scan cannot see: the platform plugin, the fonts, Qt's Polish texts, the
# desktop opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-wine, xdg-utils")
# yt-dlp: the player's page resolver, for stations whose address is a broadcaster's web page.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mpv, yt-dlp")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
