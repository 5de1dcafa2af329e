# One interface target carries the warnings, defines and sanitizer flags that every
# library, program and test of the project links.
add_library(trx_common INTERFACE)
target_compile_options(trx_common INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
if(TRX_WARNINGS_AS_ERRORS)
  target_compile_options(trx_common INTERFACE -Werror)
endif()
target_compile_definitions(trx_common INTERFACE
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_CAST_FROM_ASCII
  QT_NO_KEYWORDS)
if(TRX_SANITIZE)
  target_compile_options(trx_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(trx_common INTERFACE -fsanitize=address,undefined)
endif()
