# What the two Windows cross builds share: Debian's MinGW-w64 compilers (win32
# threads) for NETSTEP_MINGW_TRIPLE, set by the toolchain file that includes
# this one, and a stand-alone netstep.exe at a fixed base.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${NETSTEP_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${NETSTEP_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${NETSTEP_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NETSTEP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime libraries linked in, so the .exe needs no DLL beside it. The
# image sits at 0x400000 without address-space randomisation (which the
# linker turns on by default), so the code addresses of the failure report
# are the link-time ones addr2line knows.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--image-base=0x400000 -Wl,--disable-dynamicbase ${NETSTEP_MINGW_LINKER_FLAGS}")
