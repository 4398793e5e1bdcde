# A Debian package of the installed tree (scripts/package) that Debian's own checker,
# lintian, accepts: copyright and changelog files, compressed manual pages, stripped
# programs. The dependencies are the Debian packages of the libraries, plugins, SoundFont
# and fonts the programs use.

# Manual pages and the changelog are installed compressed, as gzip -9n makes them (no
# name or time inside, so the same sources give the same bytes).
find_program(GZIP gzip REQUIRED)
set(compressed)
foreach(source docs/man/vnplayer.1 docs/man/vnpack.1 packaging/changelog)
    get_filename_component(name ${source} NAME)
    set(gz ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source}
                ${CMAKE_BINARY_DIR}/compressed/${name}
        COMMAND ${GZIP} -9nf ${CMAKE_BINARY_DIR}/compressed/${name}
        DEPENDS ${PROJECT_SOURCE_DIR}/${source}
        COMMENT "Compressing ${name}"
        VERBATIM)
    list(APPEND compressed ${gz})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/compressed/vnplayer.1.gz ${CMAKE_BINARY_DIR}/compressed/vnpack.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/compressed/changelog.gz packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornal)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VORNAL developers")
set(CPACK_PACKAGE_CONTACT "VORNAL developers <vornal@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "player and pack tool for adventure games played by typing commands")
# One string: a list would reach the control file with its ';' separators.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "VORNAL plays adventure games in which the player types commands, such as\n"
    "open door: scripts with scenes, command patterns, flags and items,\n"
    "pictures, sound effects and MIDI music. vnplayer plays them in a window or\n"
    "in a terminal; vnpack packs a game into one scenario archive and checks its\n"
    "script. A demo game is included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# An interpreter of game scripts; Debian's "games" section is for games themselves.
set(CPACK_DEBIAN_PACKAGE_SECTION interpreters)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), \
qt6-qpa-plugins, libjpeg62-turbo, libsdl2-2.0-0, libfluidsynth3, librtmidi6, \
timgm6mb-soundfont | fluid-soundfont-gm, fonts-ipafont-gothic")
# Qt's Japanese texts for the standard buttons and file dialogs; English without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, qt6-translations-l10n")
include(CPack)
