# The registry file of the install tree: the product key with "INSTALLPATH"
# naming the tree (ending with '/', as callers append relative paths to it).
# Point QUIBO_REGISTRY at it to run the engine over the tree.  Written at
# configure time, and only when its text changes.
set(registry_file ${QUIBO_INSTALL_TREE}/registry)
file(CONFIGURE OUTPUT ${registry_file} CONTENT
"; Registry of the install tree built in ${CMAKE_BINARY_DIR}
[HKEY_LOCAL_MACHINE\\SOFTWARE\\NEVLA\\QUIBOシステム\\3.1]
INSTALLPATH=${QUIBO_INSTALL_TREE}/
" @ONLY)
