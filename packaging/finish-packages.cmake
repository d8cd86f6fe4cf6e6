# Run by cpack on each package it has made, before it copies it to the
# release folder (CPACK_OUTPUT_FILE_PREFIX).
#
# The ZIP is packed again so that its bytes depend on its contents and the
# commit alone, not on the order the folder lists its files in, the packer's
# time zone or the builder's user id.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.zip$")
    execute_process(COMMAND "${CPACK_KELT_PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/repack_zip.py"
                            "${package}" "${CPACK_KELT_SOURCE_DATE_EPOCH}"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot pack ${package} again")
    endif()
  endif()
endforeach()

