# Cross-compiles for 64-bit Windows with Debian's mingw-w64, the POSIX-threads variant that Qt 6
# needs (std::thread and friends). Used both for the Qt build and for the tool's own build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
