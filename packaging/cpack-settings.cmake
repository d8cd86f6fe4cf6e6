# Read by cpack before it makes each package (CPACK_PROJECT_CONFIG_FILE).
#
# Whatever cpack starts (strip, makensis, the signing) dates its output from
# the commit: strip, like the linker, writes the PE time stamp from
# SOURCE_DATE_EPOCH, and from the clock without it.
set(ENV{SOURCE_DATE_EPOCH} "${CPACK_KELT_SOURCE_DATE_EPOCH}")

# With a certificate in the environment (KELT_SIGN_PFX, README "Signed
# releases"), makensis signs the uninstaller it builds into the installer and
# then the installer itself. The programs are signed before packing
# (sign-staged.cmake). Without one, nothing of this is in the script.
if(NOT "$ENV{KELT_SIGN_PFX}" STREQUAL "")
  # Absolute: makensis starts the signing in a folder of its own.
  if(NOT IS_ABSOLUTE "$ENV{KELT_SIGN_PFX}" OR NOT EXISTS "$ENV{KELT_SIGN_PFX}")
    message(FATAL_ERROR "KELT_SIGN_PFX must be the absolute path of a file: $ENV{KELT_SIGN_PFX}")
  endif()
  if(CPACK_GENERATOR STREQUAL "NSIS")
    set(sign "'\"${CPACK_KELT_SIGN}\" \"%1\"' = 0")
    string(APPEND CPACK_NSIS_DEFINES "\n  !uninstfinalize ${sign}\n  !finalize ${sign}")
  endif()
endif()
