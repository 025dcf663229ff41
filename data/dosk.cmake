# dosk/dosk.dic: the morphological dictionary, compiled from Debian's
# mecab-jumandic-utf8.  Rebuilt only when the compiler or its inputs change.
set(QUIBO_JUMAN_DIR /usr/share/mecab/dic/juman CACHE PATH "JUMAN dictionary in MeCab's CSV layout")
file(GLOB juman_csv ${QUIBO_JUMAN_DIR}/*.csv)
list(FILTER juman_csv EXCLUDE REGEX "/(Emoticon|Wikipedia|Auto)\\.csv$")
set(dosk_dic ${QUIBO_INSTALL_TREE}/dosk/dosk.dic)
add_custom_command(
  OUTPUT ${dosk_dic}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUIBO_INSTALL_TREE}/dosk
  COMMAND dosk-compile --juman ${QUIBO_JUMAN_DIR} ${dosk_dic}
  DEPENDS dosk-compile ${juman_csv}
          ${QUIBO_JUMAN_DIR}/left-id.def ${QUIBO_JUMAN_DIR}/matrix.def ${QUIBO_JUMAN_DIR}/unk.def
  COMMENT "Compiling dosk/dosk.dic from the JUMAN dictionary"
  VERBATIM)
add_custom_target(dosk_dic DEPENDS ${dosk_dic})
add_dependencies(install_tree dosk_dic)
