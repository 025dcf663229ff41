# The sample knowledge bases, compiled into the install tree: the bakery's
# help desk data/sample_knowledge.txt as "QUIBO3.1/knowledge/sample/index.pdata",
# the install tree's default knowledge file, and the online shop's help desk
# data/shop_knowledge.txt as "QUIBO3.1/knowledge/shop/index.pdata".  kb-compile
# analyses every text with the language analyser over the install tree built
# beside it; --strict fails the build when a title of a base is not reached
# by its own text.
# The targets order the build; the files make a changed dictionary, rule set
# or network compile the bases again (their titles are read with them).
set(knowledge_inputs dosk_dic meandic numsyn
    ${QUIBO_INSTALL_TREE}/dosk/dosk.dic
    ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/mean_dictionary.dat
    ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/numsyn.txt)
if(TARGET semnet_pstorage)
  list(APPEND knowledge_inputs semnet_pstorage ${QUIBO_INSTALL_TREE}/QUIBO3.1/data/pstorage)
endif()
foreach(base sample shop)
  set(knowledge_source ${CMAKE_CURRENT_SOURCE_DIR}/${base}_knowledge.txt)
  set(knowledge_out ${QUIBO_INSTALL_TREE}/QUIBO3.1/knowledge/${base}/index.pdata)
  add_custom_command(
    OUTPUT ${knowledge_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUIBO_INSTALL_TREE}/QUIBO3.1/knowledge/${base}
    COMMAND kb-compile ${knowledge_source} ${knowledge_out} --install ${QUIBO_INSTALL_TREE} --strict
    DEPENDS kb-compile ${knowledge_source} ${knowledge_inputs}
    COMMENT "Knowledge base ${knowledge_out}"
    VERBATIM)
  add_custom_target(${base}_knowledge DEPENDS ${knowledge_out})
  add_dependencies(install_tree ${base}_knowledge)
endforeach()
