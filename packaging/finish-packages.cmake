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

# SHA256SUMS lists every file of the release folder, this package's as it is
# about to be copied there, in the form sha256sum -c reads.
set(folder "${CPACK_OUTPUT_FILE_PREFIX}")
file(GLOB names LIST_DIRECTORIES false RELATIVE "${folder}" "${folder}/*")
list(REMOVE_ITEM names SHA256SUMS)
foreach(name IN LISTS names)
  set("path_of_${name}" "${folder}/${name}")
endforeach()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${package}" NAME)
  list(APPEND names "${name}")
  set("path_of_${name}" "${package}")
endforeach()
list(REMOVE_DUPLICATES names)
list(SORT names)
set(sums "")
foreach(name IN LISTS names)
  file(SHA256 "${path_of_${name}}" sum)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE "${folder}/SHA256SUMS" "${sums}")
