# The Windows zip: `cpack -G ZIP` in a Windows build folder makes
# netstep-VERSION-win32.zip (from the 32-bit build; win64 from the 64-bit
# one) with one folder of that name inside: netstep.exe without symbols,
# README.txt, MANUAL.txt (the man page as plain text) and LICENSE.txt, the
# text files with CR LF line ends. Included by CMakeLists.txt for the
# Windows builds; they need groff for the manual.
find_program(NETSTEP_GROFF groff REQUIRED)

# name in the zip, source, kind for cmake/windows-text.cmake
set(netstep_windows_texts
  README.txt doc/windows-readme.txt text
  MANUAL.txt doc/netstep.1 manual
  LICENSE.txt LICENSE text)
set(netstep_windows_text_files "")
while(netstep_windows_texts)
  list(POP_FRONT netstep_windows_texts name source kind)
  set(output ${CMAKE_BINARY_DIR}/windows/${name})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/${source} -DOUTPUT=${output}
      -DKIND=${kind} -DPROJECT_VERSION=${PROJECT_VERSION} -DGROFF=${NETSTEP_GROFF}
      -P ${CMAKE_SOURCE_DIR}/cmake/windows-text.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} ${CMAKE_SOURCE_DIR}/cmake/windows-text.cmake
    VERBATIM)
  list(APPEND netstep_windows_text_files ${output})
endwhile()
add_custom_target(netstep_windows_texts ALL DEPENDS ${netstep_windows_text_files})

# The zip's program: netstep.exe linked once more, without symbols, into
# windows/. Stripping the built one would not do: objcopy writes a time stamp
# into the PE header (SOURCE_DATE_EPOCH, or the time of day), where the
# linker writes none (cmake/reproducible.cmake).
get_target_property(netstep_libraries netstep LINK_LIBRARIES)
add_executable(netstep_zip_exe app/main.cpp)
target_link_libraries(netstep_zip_exe PRIVATE ${netstep_libraries})
target_link_options(netstep_zip_exe PRIVATE -s)
set_target_properties(netstep_zip_exe PROPERTIES OUTPUT_NAME netstep
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/windows)

install(TARGETS netstep_zip_exe RUNTIME DESTINATION .)
install(FILES ${netstep_windows_text_files} DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(netstep_windows_name win32)
else()
  set(netstep_windows_name win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME netstep)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME netstep-${PROJECT_VERSION}-${netstep_windows_name})
include(CPack)
