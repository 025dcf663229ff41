# The sample knowledge base, the install tree's default knowledge file
# "QUIBO3.1/knowledge/sample/index.pdata": the readable source
# data/sample_knowledge.txt compiled by kb-compile, which analyses every text
# with the language analyser over the install tree built beside it; --strict
# fails the build when a title of the base is not reached by its own text.
set(knowledge_source ${CMAKE_CURRENT_SOURCE_DIR}/sample_knowledge.txt)
set(knowledge_out ${QUIBO_INSTALL_TREE}/QUIBO3.1/knowledge/sample/index.pdata)
# The targets order the build; the files make a changed dictionary, rule set
# or network compile the base again (its titles are read with them).
set(knowledge_inputs dosk_dic meandic numsyn
    ${QUIBO_INSTALL_TREE}/dosk/dosk.dic
    ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/mean_dictionary.dat
    ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/numsyn.txt)
if(TARGET semnet_pstorage)
  list(APPEND knowledge_inputs semnet_pstorage ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/pstorage)
endif()
add_custom_command(
  OUTPUT ${knowledge_out}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUIBO_INSTALL_TREE}/QUIBO3.1/knowledge/sample
  COMMAND kb-compile ${knowledge_source} ${knowledge_out} --install ${QUIBO_INSTALL_TREE} --strict
  DEPENDS kb-compile ${knowledge_source} ${knowledge_inputs}
  COMMENT "Sample knowledge base ${knowledge_out}"
  VERBATIM)
add_custom_target(sample_knowledge DEPENDS ${knowledge_out})
add_dependencies(install_tree sample_knowledge)
