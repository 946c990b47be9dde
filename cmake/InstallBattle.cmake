# What `make install` installs of the desktop program: the program, its man page, the desktop
# entry, the icon in every size, the software centre's metainfo and the bash completion. The
# lab's part (cmake/InstallLab.cmake) came before; the desktop program's package follows.
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
set(BATTLE_ICON_SIZES 48 64 128 256)
set(BATTLE_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
# The icon is drawn by the game's own drawing code at build time.
add_executable(battle-icon src/icon/main.cpp)
target_link_libraries(battle-icon PRIVATE battle_desktop PkgConfig::PNG)
set(BATTLE_ICON_FILES "")
foreach(size ${BATTLE_ICON_SIZES})
  list(APPEND BATTLE_ICON_FILES ${BATTLE_ICON_DIR}/${size}x${size}/battle.png)
  battle_install(FILES ${BATTLE_ICON_DIR}/${size}x${size}/battle.png
                 DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT desktop)
endforeach()
add_custom_command(OUTPUT ${BATTLE_ICON_FILES}
                   COMMAND battle-icon ${BATTLE_ICON_DIR} ${BATTLE_ICON_SIZES}
                   DEPENDS battle-icon
                   COMMENT "Drawing the icon")
add_custom_target(battle_icon_pictures ALL DEPENDS ${BATTLE_ICON_FILES})
set_property(GLOBAL APPEND PROPERTY BATTLE_INSTALL_BUILT battle_icon_pictures)

# The program goes to bin/ here; its package puts it in /usr/games (cmake/Packages.cmake).
battle_install(TARGETS battle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop-program)
battle_gzip(docs/battle.6 BATTLE_MAN_PAGE)
battle_install(FILES ${BATTLE_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT desktop)
battle_install(FILES data/battle.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
battle_install(FILES data/org.example.battle.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
               COMPONENT desktop)
battle_install(FILES data/completions/battle DESTINATION ${BATTLE_COMPLETIONS_DIR} COMPONENT desktop)

battle_install_manifest_end()
include(${CMAKE_CURRENT_LIST_DIR}/Packages.cmake)
