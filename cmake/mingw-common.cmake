set(CMAKE_C_COMPILER ${KELT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELT_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Programs must need nothing but Windows' own DLLs on the technician's PC.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
# The tests run the programs under Wine. The delivered 32-bit build needs
# Wine's 32-bit loader (Debian's wine32:i386, which scripts/setup.sh adds
# where the kernel runs 32-bit code); without it only the 64-bit build runs.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(KELT_WINE NAMES wine64 wine)
elseif(EXISTS /usr/lib/wine/wine)
  find_program(KELT_WINE NAMES wine)
endif()
if(KELT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KELT_WINE})
endif()
