# Cross build for 64-bit Windows: netstep.exe as it runs under 64-bit Wine. The
# failure report prints the low 32 bits of code addresses, so the image stays
# below 4 GiB (the 64-bit default base is 0x140000000, randomised higher).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NETSTEP_MINGW_TRIPLE x86_64-w64-mingw32)
set(NETSTEP_MINGW_LINKER_FLAGS -Wl,--disable-high-entropy-va)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
