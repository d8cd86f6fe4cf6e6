# Run by cpack on the staged tree of each package, after require-complete.cmake.
#
# The programs are stripped, and strip, like the linker, writes the PE time
# stamp (and the checksum over it) from SOURCE_DATE_EPOCH: the commit's.
set(dated "${CPACK_KELT_CMAKE}" -E env "SOURCE_DATE_EPOCH=${CPACK_KELT_SOURCE_DATE_EPOCH}")
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
execute_process(COMMAND ${dated} "${CPACK_KELT_STRIP}" ${programs} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot strip ${programs}")
endif()

# With a certificate, the programs are signed before they are packed. Each
# program is signed once per certificate and reused for the next package, so
# that the ZIP and the installer hold the same signed bytes even where a
# time-stamp server makes every signing differ.
if(NOT "$ENV{KELT_SIGN_PFX}" STREQUAL "")
  file(SHA256 "$ENV{KELT_SIGN_PFX}" certificate)
  foreach(program IN LISTS programs)
    get_filename_component(name "${program}" NAME)
    file(SHA256 "${program}" unsigned)
    string(SHA256 key "${unsigned}${certificate}$ENV{KELT_SIGN_TIMESTAMP_URL}")
    set(signed "${CPACK_TOPLEVEL_DIRECTORY}/../signed-programs/${key}")
    if(NOT EXISTS "${signed}/${name}")
      file(REMOVE_RECURSE "${signed}.part")
      file(MAKE_DIRECTORY "${signed}.part")
      file(COPY_FILE "${program}" "${signed}.part/${name}")
      execute_process(COMMAND ${dated} "${CPACK_KELT_SIGN}" "${signed}.part/${name}" RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR "cannot sign ${name}")
      endif()
      file(RENAME "${signed}.part" "${signed}")
    endif()
    file(COPY_FILE "${signed}/${name}" "${program}")
  endforeach()
endif()
