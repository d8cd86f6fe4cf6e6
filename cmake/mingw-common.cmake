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
# where i386 code runs, natively or under qemu's emulation); without it only
# the 64-bit build runs. A 64-bit program goes to Wine's 64-bit loader
# directly: with the 32-bit part installed, `wine` is the 32-bit loader,
# which would first start itself (a minute under emulation).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(KELT_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(KELT_WINE NAMES wine64 wine)
elseif(EXISTS /usr/lib/wine/wine)
  find_program(KELT_WINE NAMES wine)
  # Where the kernel runs no i386 code, qemu's user-mode emulation runs
  # Wine's 32-bit part: the programs work, but every start costs about a
  # minute, so the Windows tests of this build are chosen (tests/wine).
  set(KELT_WINE_EMULATED OFF)
  if(EXISTS /proc/sys/fs/binfmt_misc/qemu-i386)
    file(STRINGS /proc/sys/fs/binfmt_misc/qemu-i386 kelt_i386_handler LIMIT_COUNT 1)
    if(kelt_i386_handler STREQUAL "enabled")
      set(KELT_WINE_EMULATED ON)
    endif()
  endif()
endif()
if(KELT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KELT_WINE})
endif()
