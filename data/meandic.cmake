# The meaning dictionary "mean_dictionary.dat": the readable UTF-8 rule source
# data/mean_dictionary.txt, converted to EUC-JP (with the same mapping as the
# engine's literals, so that the rule words compare equal to analysed words)
# and FEAL-8 enciphered with the project's key by the feal tool.
find_program(QUIBO_ICONV iconv REQUIRED)
set(meandic_source ${CMAKE_CURRENT_SOURCE_DIR}/mean_dictionary.txt)
set(meandic_euc ${CMAKE_CURRENT_BINARY_DIR}/mean_dictionary.euc)
set(meandic_out ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/mean_dictionary.dat)
add_custom_command(
  OUTPUT ${meandic_euc}
  COMMAND ${QUIBO_ICONV} -f UTF-8 -t EUCJP-MS -o ${meandic_euc} ${meandic_source}
  DEPENDS ${meandic_source}
  COMMENT "Meaning dictionary source in EUC-JP"
  VERBATIM)
add_custom_command(
  OUTPUT ${meandic_out}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUIBO_INSTALL_TREE}/QUIBO3.1/data
  COMMAND feal encipher ${meandic_euc} ${meandic_out}
  DEPENDS feal ${meandic_euc}
  COMMENT "Meaning dictionary ${meandic_out}"
  VERBATIM)
add_custom_target(meandic DEPENDS ${meandic_out})
add_dependencies(install_tree meandic)
