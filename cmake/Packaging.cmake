# A Debian package of the installed tree (scripts/package). The dependencies are the
# Debian packages of the libraries, plugins, SoundFont and fonts the programs use.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornal)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VORNAL developers")
set(CPACK_PACKAGE_CONTACT "VORNAL developers <vornal@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player and pack tool for adventure games played by typing commands")
set(CPACK_PACKAGE_DESCRIPTION
    "VORNAL plays adventure games in which the player types commands (\"open door\"):\n"
    "scripts with scenes, command patterns, flags and items, pictures, sound effects\n"
    "and MIDI music. vnplayer plays them in a window or a terminal; vnpack packs a\n"
    "game into one scenario archive and checks its script. A demo game is included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), \
qt6-qpa-plugins, libjpeg62-turbo, libsdl2-2.0-0, libfluidsynth3, librtmidi6, \
timgm6mb-soundfont | fluid-soundfont-gm, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
