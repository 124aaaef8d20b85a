# CLI11 is header-only. Debian installs it in /usr/include, a folder the MinGW
# compiler must never see (glibc's headers are there too), so only CLI11's
# own folder is linked into the build tree and put on the include path.
find_path(WORDLOOM_CLI11_HEADERS CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT WORDLOOM_CLI11_HEADERS)
  set(CLI11_FOUND FALSE)
  return()
endif()
set(_wordloom_cli11_dir ${CMAKE_BINARY_DIR}/cli11-include)
if(NOT EXISTS ${_wordloom_cli11_dir}/CLI)
  file(MAKE_DIRECTORY ${_wordloom_cli11_dir})
  file(CREATE_LINK ${WORDLOOM_CLI11_HEADERS}/CLI ${_wordloom_cli11_dir}/CLI SYMBOLIC)
endif()
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_wordloom_cli11_dir})
endif()
set(CLI11_FOUND TRUE)
