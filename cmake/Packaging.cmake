# Installing and packaging.
#
# Two layouts. The portable one (the build tree, or `cmake --install build --prefix <dir>`):
# <dir>/bin/raffle with the tile face and default sounds beside it, and an empty <dir>/DB/
# where the program makes CJ.mdb at its first start. The installed one (the .deb, prefix
# /usr): the program only, with its menu entry, icons and AppStream metainfo; it keeps its
# data in the user's data folder, because there is no DB folder beside /usr/bin. The parts of
# the portable layout are the "portable" component, which the package leaves out.
include(GNUInstallDirs)

install(TARGETS raffle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/com.kestrano.raffle.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/com.kestrano.raffle.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT program)
foreach(size 16 24 32 48 64 128 256 512)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/icons/${size}x${size}/com.kestrano.raffle.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT program)
endforeach()

foreach(f cj.bmp start.wav end.wav stop.wav)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/${f} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT portable)
endforeach()
install(DIRECTORY DESTINATION DB COMPONENT portable)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrano-raffle)
set(CPACK_PACKAGE_VENDOR Kestrano)
set(CPACK_PACKAGE_CONTACT "Kestrano <raffle@kestrano.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prize draws for company events (抽奖)")
set(CPACK_PACKAGE_DESCRIPTION "The operator keys in or imports the participants and sets up the prize levels; \
the full-screen draw rolls their masked phone numbers on digit tiles to music until a click reveals the winners.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL program)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the program links are found by dpkg-shlibdeps; a CJK font and Qt's Chinese
# button texts are not libraries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-good, gstreamer1.0-pulseaudio")
include(CPack)
