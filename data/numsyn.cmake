# The number synonyms "numsyn.txt": the readable UTF-8 source
# data/numsyn.txt, converted to EUC-JP with the same mapping as the engine's
# literals, so that its words compare equal to analysed words.
find_program(QUIBO_ICONV iconv REQUIRED)
set(numsyn_source ${CMAKE_CURRENT_SOURCE_DIR}/numsyn.txt)
set(numsyn_out ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/numsyn.txt)
add_custom_command(
  OUTPUT ${numsyn_out}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUIBO_INSTALL_TREE}/QUIBO3.1/data
  COMMAND ${QUIBO_ICONV} -f UTF-8 -t EUCJP-MS -o ${numsyn_out} ${numsyn_source}
  DEPENDS ${numsyn_source}
  COMMENT "Number synonyms ${numsyn_out}"
  VERBATIM)
add_custom_target(numsyn DEPENDS ${numsyn_out})
add_dependencies(install_tree numsyn)
