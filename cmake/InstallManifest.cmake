# `make uninstall` removes what `make install` put under the prefix, and nothing else. A whole
# install (not a package's components) therefore writes, under the prefix, the list of the files
# it installed and of the folders it had to create: share/<name>/installed-files. The uninstall
# (cmake/Uninstall.cmake) reads that list, so it needs neither this build folder nor its
# install_manifest.txt, whose paths leave out the DESTDIR.
#
# battle_install(<arguments of install()>) installs as install() does and remembers the
# DESTINATION (a path under the prefix) and the TARGETS; battle_install_manifest_begin(name) must
# come before the first of them and battle_install_manifest_end() after the last. Files made at
# build time are installed once their target, named in the global property BATTLE_INSTALL_BUILT,
# is built: the target battle_installed builds all that is installed and nothing else.

function(battle_install)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "DESTINATION" "TARGETS;RUNTIME")
  if(NOT arg_DESTINATION OR IS_ABSOLUTE "${arg_DESTINATION}")
    message(FATAL_ERROR "battle_install needs a DESTINATION under the prefix, got '${arg_DESTINATION}'")
  endif()
  set_property(GLOBAL APPEND PROPERTY BATTLE_INSTALL_FOLDERS "${arg_DESTINATION}")
  set_property(GLOBAL APPEND PROPERTY BATTLE_INSTALL_BUILT ${arg_TARGETS})
  install(${ARGN})
endfunction()

function(battle_install_manifest_begin name)
  set(list_folder "${CMAKE_INSTALL_DATADIR}/${name}")
  set_property(GLOBAL PROPERTY BATTLE_INSTALL_LIST "${list_folder}/installed-files")
  set_property(GLOBAL APPEND PROPERTY BATTLE_INSTALL_FOLDERS "${list_folder}")
  # The folders make install may put files in are known once every rule is declared: the end
  # writes them into this script, which runs before the first file is installed.
  set(folders_script "${CMAKE_CURRENT_BINARY_DIR}/install-folders.cmake")
  set_property(GLOBAL PROPERTY BATTLE_INSTALL_FOLDERS_SCRIPT "${folders_script}")
  install(CODE "
    if(NOT CMAKE_INSTALL_COMPONENT)
      include(\"${folders_script}\")
      set(_battle_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
      set(_battle_new_folders \"\")
      foreach(_battle_folder IN LISTS _battle_install_folders)
        while(_battle_folder AND NOT _battle_folder STREQUAL \".\")
          if(NOT IS_DIRECTORY \"\${_battle_root}/\${_battle_folder}\")
            list(APPEND _battle_new_folders \"\${_battle_folder}\")
          endif()
          get_filename_component(_battle_folder \"\${_battle_folder}\" DIRECTORY)
        endwhile()
      endforeach()
    endif()")
endfunction()

function(battle_install_manifest_end)
  get_property(built GLOBAL PROPERTY BATTLE_INSTALL_BUILT)
  add_custom_target(battle_installed)  # what `make install` builds
  add_dependencies(battle_installed ${built})
  get_property(folders GLOBAL PROPERTY BATTLE_INSTALL_FOLDERS)
  get_property(folders_script GLOBAL PROPERTY BATTLE_INSTALL_FOLDERS_SCRIPT)
  get_property(list GLOBAL PROPERTY BATTLE_INSTALL_LIST)
  list(REMOVE_DUPLICATES folders)
  file(WRITE "${folders_script}" "set(_battle_install_folders \"${folders}\")\n")
  # The files this install wrote, relative to the prefix, with those of an earlier install into
  # the same place (an upgrade leaves nothing behind), and the folders that either created.
  install(CODE "
    if(NOT CMAKE_INSTALL_COMPONENT)
      set(_battle_list \"\${_battle_root}/${list}\")
      set(_battle_entries \"\")
      if(EXISTS \"\${_battle_list}\")
        file(STRINGS \"\${_battle_list}\" _battle_entries)
      endif()
      foreach(_battle_file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)  # without the DESTDIR
        file(RELATIVE_PATH _battle_file \"\${CMAKE_INSTALL_PREFIX}\" \"\${_battle_file}\")
        list(APPEND _battle_entries \"\${_battle_file}\")
      endforeach()
      foreach(_battle_folder IN LISTS _battle_new_folders)
        list(APPEND _battle_entries \"\${_battle_folder}/\")
      endforeach()
      list(APPEND _battle_entries \"${list}\")
      list(REMOVE_DUPLICATES _battle_entries)
      list(SORT _battle_entries)
      string(REPLACE \";\" \"\\n\" _battle_entries \"\${_battle_entries}\")
      message(STATUS \"Listing what was installed: \${_battle_list}\")
      file(WRITE \"\${_battle_list}\" \"\${_battle_entries}\\n\")
    endif()")
endfunction()
