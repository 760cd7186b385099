# A text file of the Windows zip, with CR LF line ends, made at build time:
#   cmake -DINPUT=... -DOUTPUT=... -DKIND=text|manual -DPROJECT_VERSION=...
#         [-DGROFF=...] -P windows-text.cmake
# text    INPUT with @PROJECT_VERSION@ replaced;
# manual  the man page INPUT as plain ASCII, without hyphenation, bold or
#         underline (no overstruck characters), as groff lays it out.
cmake_minimum_required(VERSION 3.25)

if(KIND STREQUAL "manual")
  # grotty's -c -b -o -u: plain characters, neither escape sequences nor
  # overstriking. The locale plays no part in -Tascii output.
  execute_process(
    COMMAND ${GROFF} -man -Tascii -rHY=0 -P-c -P-b -P-o -P-u ${INPUT}
    OUTPUT_VARIABLE text
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "groff could not lay out ${INPUT}")
  endif()
elseif(KIND STREQUAL "text")
  file(READ ${INPUT} text)
  string(CONFIGURE "${text}" text @ONLY)
else()
  message(FATAL_ERROR "KIND is text or manual, not '${KIND}'")
endif()

string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
