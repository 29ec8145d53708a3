# Installed layout: one self-contained program folder, so the update check and
# the updater find each other beside the program, and a link to it on the PATH.
#   <prefix>/lib/calmora/{calmora,update,calmora-video.so}
#   <prefix>/bin/calmora -> ../lib/calmora/calmora
#   desktop entry, AppStream metainfo and icons in the usual share/ folders.
set(CALMORA_APP_ID org.calmora.Calmora)
set(CALMORA_INSTALL_PROGRAM_DIR lib/calmora)

install(TARGETS calmora RUNTIME DESTINATION ${CALMORA_INSTALL_PROGRAM_DIR})
install(TARGETS calmora_video LIBRARY DESTINATION ${CALMORA_INSTALL_PROGRAM_DIR})
if(TARGET update)
    install(TARGETS update RUNTIME DESTINATION ${CALMORA_INSTALL_PROGRAM_DIR})
endif()

set(_links ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${_links})
file(CREATE_LINK ../${CALMORA_INSTALL_PROGRAM_DIR}/calmora ${_links}/calmora SYMBOLIC)
install(FILES ${_links}/calmora DESTINATION bin)

set(_dist ${PROJECT_SOURCE_DIR}/dist/linux)
install(FILES ${_dist}/${CALMORA_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${_dist}/${CALMORA_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/icons/calmora.svg
        DESTINATION share/icons/hicolor/scalable/apps RENAME ${CALMORA_APP_ID}.svg)
foreach(size 16 32 48 64 128 256)
    install(FILES ${_dist}/icons/calmora-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${CALMORA_APP_ID}.png)
endforeach()

# A Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calmora)
set(CPACK_PACKAGE_VENDOR "Calmora developers")
set(CPACK_PACKAGE_CONTACT "Calmora developers <calmora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Random sound player that lives in the tray")
set(CPACK_PACKAGE_DESCRIPTION "Calmora keeps a list of sound files and plays a random ticked one as often\nas the chosen stress level says; F1 to F12 play sounds of their own. Copies\non one LAN swap sounds and short texts through a shared folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins are loaded at run time, so the library scan cannot see them:
#   libqt6gui6: the X11 platform plugin (libqxcb) and the PNG/ICO image readers;
#   libqt6svg6: the SVG icon engine that draws the logo and the scalable icon;
#   gstreamer1.0-plugins-base/-good: playbin, videoconvert and the AVI demuxer behind videos;
#   libpulse0, libsndfile1: opened with the first sound rather than linked.
# Recommended: a sound server to play through, the Wayland platform plugin for
# Wayland sessions (X11 through XWayland otherwise), xdg-utils for the file
# manager button, and libav for the common compressed video codecs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6gui6, libqt6svg6, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, libpulse0, libsndfile1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-wayland, xdg-utils, gstreamer1.0-libav")
include(CPack)
