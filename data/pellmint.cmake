# Pellmint's page templates, "QUIBO3.1/pellmint/<template>/": each folder of
# data/pellmint/templates with the chat scripts all templates share
# (data/pellmint/common) added to its "parts" folder; and the archiver
# library Pellmint loads, "QUIBO3.1/libtar32.so".
set(pellmint_source ${CMAKE_CURRENT_SOURCE_DIR}/pellmint)
file(GLOB_RECURSE pellmint_files CONFIGURE_DEPENDS ${pellmint_source}/*)
file(GLOB pellmint_templates LIST_DIRECTORIES true ${pellmint_source}/templates/*)
set(pellmint_root ${QUIBO_INSTALL_TREE}/QUIBO3.1/pellmint)
set(pellmint_shared_scripts)
foreach(folder ${pellmint_templates})
  get_filename_component(name ${folder} NAME)
  list(APPEND pellmint_shared_scripts
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${pellmint_source}/common ${pellmint_root}/${name}/parts)
endforeach()
set(pellmint_stamp ${CMAKE_CURRENT_BINARY_DIR}/pellmint_templates.stamp)
add_custom_command(
  OUTPUT ${pellmint_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${pellmint_root}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${pellmint_source}/templates ${pellmint_root}
  ${pellmint_shared_scripts}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tar32> ${QUIBO_INSTALL_TREE}/QUIBO3.1/
  COMMAND ${CMAKE_COMMAND} -E touch ${pellmint_stamp}
  DEPENDS ${pellmint_files} tar32
  COMMENT "Page templates ${pellmint_root}"
  VERBATIM)
add_custom_target(pellmint_templates DEPENDS ${pellmint_stamp})
add_dependencies(install_tree pellmint_templates)
