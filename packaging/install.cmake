# Installing: the program and the files it reads sit together in lib/kanaburst/ (it looks for
# them next to its own executable), bin/kanaburst links there, and the menu entry and icons go
# to share/ where desktops look for them. The prefix is the one given at install time.
set(KB_INSTALL_DIR lib/kanaburst)
install(TARGETS kanaburst DESTINATION ${KB_INSTALL_DIR})
install(FILES ${KB_ASSETS} DESTINATION ${KB_INSTALL_DIR})

set(KB_PACKAGING ${CMAKE_CURRENT_LIST_DIR})
install(FILES ${KB_PACKAGING}/kanaburst.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
    install(FILES ${KB_PACKAGING}/kanaburst-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME kanaburst.png)
endforeach()

install(CODE "
    set(prefix \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(MAKE_DIRECTORY \"\${prefix}/bin\")
    file(CREATE_LINK ../${KB_INSTALL_DIR}/kanaburst \"\${prefix}/bin/kanaburst\" SYMBOLIC)
    message(STATUS \"Linking: \${prefix}/bin/kanaburst -> ../${KB_INSTALL_DIR}/kanaburst\")
    set(KB_BIN \"\${CMAKE_INSTALL_PREFIX}/bin/kanaburst\")
    configure_file(\"${KB_PACKAGING}/kanaburst.desktop.in\"
                   \"\${prefix}/share/applications/kanaburst.desktop\" @ONLY)
    message(STATUS \"Menu entry: \${prefix}/share/applications/kanaburst.desktop\")
")
