# The delivered programs and packages are the same bytes from the same commit,
# wherever and whenever they are built: every date in them is the commit's,
# never the clock's, and no path of the build machine gets into them.
#
# KELT_SOURCE_DATE_EPOCH is SOURCE_DATE_EPOCH when configuring, else the time
# of the checkout's last commit. A new commit or checkout configures again.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(KELT_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  find_package(Git QUIET)
  if(Git_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE KELT_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${CMAKE_SOURCE_DIR} rev-parse --git-path logs/HEAD
                    OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(head_log)
      get_filename_component(head_log "${head_log}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
      if(EXISTS "${head_log}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head_log}")
      endif()
    endif()
  endif()
  if(NOT KELT_SOURCE_DATE_EPOCH)
    # A source tree without its history: a fixed date, the first a ZIP can hold.
    set(KELT_SOURCE_DATE_EPOCH 315532800)
    message(WARNING "No git history and no SOURCE_DATE_EPOCH: the programs and packages "
                    "are dated 1980-01-01. Set SOURCE_DATE_EPOCH to the release's time.")
  endif()
endif()
if(NOT KELT_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is '${KELT_SOURCE_DATE_EPOCH}', not seconds since 1970")
endif()
message(STATUS "Programs and packages dated ${KELT_SOURCE_DATE_EPOCH} (SOURCE_DATE_EPOCH)")

# __FILE__ and debug information name sources relative to the checkout and
# the build folder (the build folder's map comes last: GCC tries it first).
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")

# The linker writes the PE time stamp, and the checksum over it, from
# SOURCE_DATE_EPOCH when it is set; otherwise from the clock.
function(kelt_dated_from_commit)
  foreach(target IN LISTS ARGN)
    if(TARGET ${target})
      set_target_properties(${target} PROPERTIES
        C_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${KELT_SOURCE_DATE_EPOCH}"
        CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${KELT_SOURCE_DATE_EPOCH}")
    endif()
  endforeach()
endfunction()
