# dosk/dosk.dic: the morphological dictionary, compiled from Debian's
# mecab-jumandic-utf8 with the corrections of data/dosk_corrections.txt.
# Rebuilt only when the compiler or its inputs change.
#
# The dictionary's connection costs were learnt from text that holds few
# questions, and some of the commonest forms of a question come out wrong
# with them (何ですか as 何で + すか, 予約したいです with したい as a noun).
# The corrections file mends those readings in the data, never in the
# analyser: connection costs between classes of words raised where the
# grammar of JUMAN itself forbids the connection (a 未然形 ending a
# sentence), word costs of rare homographs raised, and the katakana
# loanwords of JUMAN's Wikipedia and Auto lists taken in, so that a listed
# loanword (チェックアウト) is not split into two listed words.  Each entry
# names the sentences that justify it; build/bench/dosk-agreement measures
# the readings against JUMAN and MeCab.
set(QUIBO_JUMAN_DIR /usr/share/mecab/dic/juman CACHE PATH "JUMAN dictionary in MeCab's CSV layout")
file(GLOB juman_csv ${QUIBO_JUMAN_DIR}/*.csv)
list(FILTER juman_csv EXCLUDE REGEX "/(Emoticon|Wikipedia|Auto)\\.csv$")
set(dosk_dic ${QUIBO_INSTALL_TREE}/dosk/dosk.dic)
set(dosk_corrections ${CMAKE_CURRENT_SOURCE_DIR}/dosk_corrections.txt)
add_custom_command(
  OUTPUT ${dosk_dic}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUIBO_INSTALL_TREE}/dosk
  COMMAND dosk-compile --juman ${QUIBO_JUMAN_DIR} --corrections ${dosk_corrections} ${dosk_dic}
  DEPENDS dosk-compile ${juman_csv} ${dosk_corrections} ${QUIBO_JUMAN_DIR}/Wikipedia.csv ${QUIBO_JUMAN_DIR}/Auto.csv
          ${QUIBO_JUMAN_DIR}/left-id.def ${QUIBO_JUMAN_DIR}/matrix.def ${QUIBO_JUMAN_DIR}/unk.def
  COMMENT "Compiling dosk/dosk.dic from the JUMAN dictionary"
  VERBATIM)
add_custom_target(dosk_dic DEPENDS ${dosk_dic})
add_dependencies(install_tree dosk_dic)
