# Pellmint's page templates, "QUIBO3.1/pellmint/<template>/" (data/pellmint),
# and the archiver library it loads, "QUIBO3.1/libtar32.so".
file(GLOB_RECURSE pellmint_templates CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pellmint/*)
set(pellmint_root ${QUIBO_INSTALL_TREE}/QUIBO3.1/pellmint)
set(pellmint_stamp ${CMAKE_CURRENT_BINARY_DIR}/pellmint_templates.stamp)
add_custom_command(
  OUTPUT ${pellmint_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${pellmint_root}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_CURRENT_SOURCE_DIR}/pellmint ${pellmint_root}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tar32> ${QUIBO_INSTALL_TREE}/QUIBO3.1/
  COMMAND ${CMAKE_COMMAND} -E touch ${pellmint_stamp}
  DEPENDS ${pellmint_templates} tar32
  COMMENT "Page templates ${pellmint_root}"
  VERBATIM)
add_custom_target(pellmint_templates DEPENDS ${pellmint_stamp})
add_dependencies(install_tree pellmint_templates)
