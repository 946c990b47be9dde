# battle_gzip(SOURCE OUTPUT-VARIABLE): SOURCE compressed at build time as Debian wants man pages,
# `gzip -9n` (best, and no name or time inside, so every build makes the same bytes), into the
# build folder. OUTPUT-VARIABLE names the compressed file.
function(battle_gzip source output_variable)
  get_filename_component(name "${source}" NAME)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz")
  add_custom_command(OUTPUT "${output}"
                     COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/compressed"
                     COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh "${CMAKE_CURRENT_SOURCE_DIR}/${source}" "${output}"
                     DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${source}"
                     COMMENT "Compressing ${source}"
                     VERBATIM)
  string(MAKE_C_IDENTIFIER "battle_gzip_${name}" target)
  add_custom_target(${target} ALL DEPENDS "${output}")
  set_property(GLOBAL APPEND PROPERTY BATTLE_INSTALL_BUILT ${target})
  set(${output_variable} "${output}" PARENT_SCOPE)
endfunction()
