# Run by CPack after it has made a package (CPACK_POST_BUILD_SCRIPTS): the
# package made again from its own contents, so that its bytes depend on
# nothing else. What CPack's own bytes also depend on:
# - the file system it staged on: the .deb's Installed-Size is the sum of the
#   staged sizes, directories' included (4096 bytes each on ext4, less on
#   tmpfs); the zip's members are in the order the directory lists them (a
#   hash order with a seed of each ext4 file system's own);
# - the umask, which gave the staged folders their modes;
# - the time zone, in which a zip member's DOS time is written.
# The .deb is remade by dpkg-deb with modes normalised and Installed-Size
# counted as dpkg-gencontrol counts it; the zip by Info-ZIP's zip with its
# members sorted, no owners and one time stamp each, in UTC. Times are
# SOURCE_DATE_EPOCH where it is set.
cmake_minimum_required(VERSION 3.25)

# Directories and executable files 755, other files 644.
function(normalise_modes tree)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true ${tree}/*)
  foreach(entry ${entries})
    if(IS_DIRECTORY ${entry})
      file(CHMOD ${entry} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
        GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    else()
      execute_process(COMMAND test -x ${entry} RESULT_VARIABLE notExecutable)
      set(execute "")
      if(notExecutable EQUAL 0)
        set(execute OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
      endif()
      file(CHMOD ${entry} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ ${execute})
    endif()
  endforeach()
endfunction()

# Installed-Size in KiB: each file's size rounded up, 1 for each directory.
function(installed_size tree result)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${tree} ${tree}/*)
  set(kib 0)
  foreach(entry ${entries})
    if(entry MATCHES "^DEBIAN(/|$)")
      continue()
    elseif(IS_DIRECTORY ${tree}/${entry})
      math(EXPR kib "${kib} + 1")
    else()
      file(SIZE ${tree}/${entry} bytes)
      math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
    endif()
  endforeach()
  set(${result} ${kib} PARENT_SCOPE)
endfunction()

function(remake_deb package)
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  normalise_modes(${tree})
  installed_size(${tree} kib)
  file(READ ${tree}/DEBIAN/control control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control
    "${control}")
  file(WRITE ${tree}/DEBIAN/control "${control}")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -z9 --build ${tree} ${package}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endfunction()

function(remake_zip package)
  find_program(zip zip)
  if(NOT zip)
    message(FATAL_ERROR "zip (Debian's zip) makes the Windows zip; it is not installed")
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${package} WORKING_DIRECTORY ${tree}
    COMMAND_ERROR_IS_FATAL ANY)
  normalise_modes(${tree})
  file(GLOB_RECURSE members RELATIVE ${tree} ${tree}/*)  # sorted
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND touch -d @$ENV{SOURCE_DATE_EPOCH} ${members}
      WORKING_DIRECTORY ${tree} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  # -X: no owner and no extra time stamps, only the DOS time; -D: no entries
  # for folders.
  file(REMOVE ${package})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${zip} -X -D -9 -q ${package} ${members}
    WORKING_DIRECTORY ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endfunction()

foreach(package ${CPACK_PACKAGE_FILES})
  if(package MATCHES "\\.deb$")
    remake_deb(${package})
  elseif(package MATCHES "\\.zip$")
    remake_zip(${package})
  endif()
endforeach()
