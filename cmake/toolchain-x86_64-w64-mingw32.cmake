# Cross build for 64-bit Windows with Debian's MinGW-w64 (win32 threads): a
# stand-alone netstep.exe, used to run the Windows program under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NETSTEP_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NETSTEP_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${NETSTEP_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${NETSTEP_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NETSTEP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime libraries linked in, so the .exe needs no DLL beside it. The
# failure report prints the low 32 bits of code addresses: the image sits at
# a fixed base below 4 GiB (the default is 0x140000000 with address-space
# randomisation), so the printed address is the link-time one addr2line knows.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--image-base=0x400000 -Wl,--disable-dynamicbase -Wl,--disable-high-entropy-va")
