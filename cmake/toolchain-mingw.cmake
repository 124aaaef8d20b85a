# Cross-compiles the Windows executables with Debian's MinGW-w64 toolchain
# (posix threads flavour, so std::thread and std::mutex work), for the
# processor the including toolchain file names.
set(CMAKE_SYSTEM_NAME Windows)
set(WORDLOOM_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${WORDLOOM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WORDLOOM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${WORDLOOM_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WORDLOOM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's header-only CLI11, without putting /usr/include on the MinGW path.
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw CACHE PATH "CLI11 for the MinGW build")
