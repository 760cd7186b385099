# Cross build for 32-bit Windows with Debian's MinGW-w64 (win32 threads): a
# stand-alone netstep.exe, the primary Windows program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(NETSTEP_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${NETSTEP_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${NETSTEP_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${NETSTEP_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NETSTEP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime libraries linked in, so the .exe needs no DLL beside it. The
# image stays at its default base 0x400000 without address-space
# randomisation (which the linker turns on by default), so the code addresses
# of the failure report are the link-time ones addr2line knows.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--image-base=0x400000 -Wl,--disable-dynamicbase")
