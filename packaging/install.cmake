# Installing: the program and the files it reads sit together in KB_INSTALL_DIR (it looks for
# them next to its own executable), KB_BIN_DIR/kanaburst links there, and the menu entry,
# icons, store entry and man page go to share/ where desktops and man look for them. Both
# directories are under the prefix given at install time; the Debian package moves them to
# lib/games/kanaburst and games, as Debian places games.
set(KB_INSTALL_DIR lib/kanaburst CACHE STRING "Directory of the program and its files, under the prefix")
set(KB_BIN_DIR bin CACHE STRING "Directory of the kanaburst command, one level under the prefix")
# Installed there (under any prefix), the game also reads the player's own files first.
target_compile_definitions(kanaburst PRIVATE KB_INSTALL_DIR="${KB_INSTALL_DIR}")
target_compile_definitions(kanaburst_tests PRIVATE
    KB_INSTALL_DIR="${KB_INSTALL_DIR}" KB_BIN_DIR="${KB_BIN_DIR}")
install(TARGETS kanaburst DESTINATION ${KB_INSTALL_DIR})
install(FILES ${KB_ASSETS} DESTINATION ${KB_INSTALL_DIR})

set(KB_PACKAGING ${CMAKE_CURRENT_LIST_DIR})
install(FILES ${KB_PACKAGING}/kanaburst.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
    install(FILES ${KB_PACKAGING}/kanaburst-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME kanaburst.png)
endforeach()
install(FILES ${KB_PACKAGING}/invalid.kanaburst.kanaburst.metainfo.xml DESTINATION share/metainfo)
# Replay files (*.kbreplay) as a type of their own, which the menu entry opens.
install(FILES ${KB_PACKAGING}/kanaburst-replay.xml DESTINATION share/mime/packages
        RENAME kanaburst.xml)

install(CODE "
    set(prefix \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(MAKE_DIRECTORY \"\${prefix}/${KB_BIN_DIR}\")
    file(CREATE_LINK ../${KB_INSTALL_DIR}/kanaburst \"\${prefix}/${KB_BIN_DIR}/kanaburst\" SYMBOLIC)
    message(STATUS \"Linking: \${prefix}/${KB_BIN_DIR}/kanaburst -> ../${KB_INSTALL_DIR}/kanaburst\")
    set(KB_BIN \"\${CMAKE_INSTALL_PREFIX}/${KB_BIN_DIR}/kanaburst\")
    set(KB_LIB \"\${CMAKE_INSTALL_PREFIX}/${KB_INSTALL_DIR}\")
    set(KB_VERSION \"${PROJECT_VERSION}\")
    configure_file(\"${KB_PACKAGING}/kanaburst.desktop.in\"
                   \"\${prefix}/share/applications/kanaburst.desktop\" @ONLY)
    message(STATUS \"Menu entry: \${prefix}/share/applications/kanaburst.desktop\")
    configure_file(\"${KB_PACKAGING}/kanaburst.6.in\" \"\${prefix}/share/man/man6/kanaburst.6\" @ONLY)
    message(STATUS \"Manual page: \${prefix}/share/man/man6/kanaburst.6\")
")
