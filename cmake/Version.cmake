# The version in project() is the only one: programs include "trx/Version.h", generated from
# it, by linking trx_version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in
  ${PROJECT_BINARY_DIR}/generated/trx/Version.h @ONLY)
add_library(trx_version INTERFACE)
target_include_directories(trx_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
