# Cross build for 32-bit Windows: netstep.exe, the primary Windows program.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(NETSTEP_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
