# What `make install` installs of the lab: the program, its man page and its bash completion.
# A build of the lab alone (BATTLE_LAB_ONLY) ends here and makes the battle-lab package.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/InstallManifest.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Compress.cmake)
set(BATTLE_COMPLETIONS_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

if(BATTLE_LAB_ONLY)
  battle_install_manifest_begin(battle-lab)
else()
  battle_install_manifest_begin(battle)
endif()

battle_gzip(docs/battle-lab.1 BATTLE_LAB_MAN_PAGE)
battle_install(TARGETS battle-lab RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT lab)
battle_install(FILES ${BATTLE_LAB_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT lab)
battle_install(FILES data/completions/battle-lab DESTINATION ${BATTLE_COMPLETIONS_DIR} COMPONENT lab)

if(BATTLE_LAB_ONLY)
  battle_install_manifest_end()
  include(${CMAKE_CURRENT_LIST_DIR}/Packages.cmake)
endif()
