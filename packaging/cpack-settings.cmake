# Read by cpack before it makes each package (CPACK_PROJECT_CONFIG_FILE).
#
# With a certificate in the environment (KELT_SIGN_PFX, README "Signed
# releases"), makensis signs the uninstaller it builds into the installer and
# then the installer itself. The programs are signed before packing
# (staged-programs.cmake). Without one, nothing of this is in the script.
#
# SOURCE_DATE_EPOCH goes to the signing alone, never into cpack's own
# environment: cpack first builds the project's preinstall target, and a
# configure that this starts would take it for a date given by the user.
if(NOT "$ENV{KELT_SIGN_PFX}" STREQUAL "")
  # Absolute: makensis starts the signing in a folder of its own.
  if(NOT IS_ABSOLUTE "$ENV{KELT_SIGN_PFX}" OR NOT EXISTS "$ENV{KELT_SIGN_PFX}")
    message(FATAL_ERROR "KELT_SIGN_PFX must be the absolute path of a file: $ENV{KELT_SIGN_PFX}")
  endif()
  if(CPACK_GENERATOR STREQUAL "NSIS")
    set(sign "'\"${CPACK_KELT_CMAKE}\" -E env SOURCE_DATE_EPOCH=${CPACK_KELT_SOURCE_DATE_EPOCH} \"${CPACK_KELT_SIGN}\" \"%1\"' = 0")
    string(APPEND CPACK_NSIS_DEFINES "\n  !uninstfinalize ${sign}\n  !finalize ${sign}")
  endif()
endif()
