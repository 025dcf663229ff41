# The semantic network "pstorage": the semantic fields of the JUMAN dictionary
# (Debian's mecab-jumandic-utf8 CSVs) turned into the network's readable
# source by juman-semnet, then built and FEAL-8 enciphered by semnet-build.
# Rebuilt only when the CSVs or the tools change.
set(QUIBO_JUMAN_CSV_DIR /usr/share/mecab/dic/juman CACHE PATH
    "Folder of the JUMAN dictionary's CSV files (mecab-jumandic-utf8)")
file(GLOB juman_csvs ${QUIBO_JUMAN_CSV_DIR}/*.csv)
if(NOT juman_csvs)
  message(WARNING "No JUMAN CSV files in ${QUIBO_JUMAN_CSV_DIR}: install mecab-jumandic-utf8 "
                  "(scripts/setup); the install tree gets no semantic network.")
else()
  list(SORT juman_csvs)
  set(semnet_source ${CMAKE_CURRENT_BINARY_DIR}/semnet-source.txt)
  set(semnet_out ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/pstorage)
  add_custom_command(
    OUTPUT ${semnet_source}
    COMMAND juman-semnet ${semnet_source} ${juman_csvs}
    DEPENDS juman-semnet ${juman_csvs}
    COMMENT "Semantic-network source from the JUMAN dictionary"
    VERBATIM)
  add_custom_command(
    OUTPUT ${semnet_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUIBO_INSTALL_TREE}/QUIBO3.1/data
    COMMAND semnet-build ${semnet_source} ${semnet_out}
    DEPENDS semnet-build ${semnet_source}
    COMMENT "Semantic network ${semnet_out}"
    VERBATIM)
  add_custom_target(semnet_pstorage DEPENDS ${semnet_out})
  add_dependencies(install_tree semnet_pstorage)
endif()
