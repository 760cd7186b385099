# Reproducible builds: one commit gives the same bytes in any folder, at any
# time, under any umask and time zone, on any file system (scripts/release).
# What the compiler and linker would make differ:
# - the folders, which the compiler writes into debug information, and from
#   there into the ELF build ID, a hash over the whole linked file, stripped
#   sections included. The source folder is written as ".", the build folder
#   as "build"; GCC takes the last map that matches, so a build folder inside
#   the source folder is "build" too. A debugger started in the source
#   folder finds the sources there.
# - the link time, which the PE linker writes into the image's header.
# The packages are made again after CPack by reproducible-package.cmake, with
# the time stamps of SOURCE_DATE_EPOCH.
add_compile_options(
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
  -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
else()
  add_link_options(-Wl,--build-id=sha1)
endif()
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/reproducible-package.cmake)
