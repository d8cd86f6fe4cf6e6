# Windows build (MinGW-w64): the two programs and the simulated instrument,
# and the tests that run them under Wine.
enable_language(RC)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(KELT_MANIFEST_ARCH amd64)
else()
  set(KELT_MANIFEST_ARCH x86)
endif()
# The programs and the simulator declare what Windows of this decade
# expects of a program (run as the user, the versions it was tested on, DPI
# aware); the panel also asks for the common controls of version 6.
file(READ ${CMAKE_SOURCE_DIR}/resources/manifest-common.xml.in KELT_MANIFEST_COMMON)
string(STRIP "${KELT_MANIFEST_COMMON}" KELT_MANIFEST_COMMON)
set(KELT_MANIFEST_COMMON "  ${KELT_MANIFEST_COMMON}")
foreach(program keltpanel keltterm keltsim)
  configure_file(${CMAKE_SOURCE_DIR}/resources/${program}.manifest.in
                 ${CMAKE_BINARY_DIR}/resources/${program}.manifest @ONLY)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/resources/manifest-common.xml.in)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_BINARY_DIR}/resources -I${KELT_GENERATED_DIR}")

# The Win32 part of each folder, a library of its own, linked in the same
# one direction as the portable parts (ARCHITECTURE.md).
add_library(keltplatform STATIC
  platform/win/text.cpp
  platform/win/window.cpp
  platform/win/dialog_template.cpp
  platform/win/sleep.cpp
  platform/win/debug.cpp
)
target_link_libraries(keltplatform PUBLIC user32 gdi32 comctl32 comdlg32)
target_include_directories(keltplatform PUBLIC ${CMAKE_SOURCE_DIR} ${KELT_GENERATED_DIR})
target_compile_definitions(keltplatform PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                               _WIN32_WINNT=0x0601)
kelt_warnings(keltplatform)

add_library(kelt_link_win STATIC
  link/win/port.cpp
  link/win/line_setup.cpp
  link/win/port_link.cpp
  link/win/reader_thread.cpp
)
target_link_libraries(kelt_link_win PUBLIC kelt_link keltplatform)
kelt_warnings(kelt_link_win)

add_library(kelt_settings_win STATIC
  settings/win/settings_files.cpp
)
target_link_libraries(kelt_settings_win PUBLIC kelt_settings keltplatform)
kelt_warnings(kelt_settings_win)

add_library(keltpanel_win STATIC
  panel/win/main_panel.cpp
  panel/win/panel_callback.cpp
  panel/win/panel_view.cpp
  panel/win/panel_port.cpp
  panel/win/port_dialog.cpp
  panel/win/updating_window.cpp
  panel/win/measurement_reader.cpp
  panel/win/script_commands.cpp
)
target_link_libraries(keltpanel_win PUBLIC kelt_panel kelt_settings_win kelt_link_win keltplatform)
kelt_warnings(keltpanel_win)

add_executable(keltpanel WIN32 panel/win/panel_main.cpp resources/keltpanel.rc)
target_link_libraries(keltpanel PRIVATE keltpanel_win)
target_link_options(keltpanel PRIVATE -municode)
set_source_files_properties(resources/keltpanel.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/resources/keltpanel.manifest;${CMAKE_SOURCE_DIR}/resources/keltpanel.ico;${CMAKE_SOURCE_DIR}/resources/panel_front.bmp;${CMAKE_SOURCE_DIR}/resources/updating_splash.bmp")
kelt_warnings(keltpanel)

# The delivered programs may import nothing but Windows' own DLLs.
add_test(NAME keltpanel_imports_only_system_dlls
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:keltpanel>)
set_tests_properties(keltpanel_imports_only_system_dlls PROPERTIES
  ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")

if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_subdirectory(tests/wine)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/terminal/CMakeLists.txt)
  add_subdirectory(terminal)
endif()

# keltsim.exe, the simulated instrument on a COM port, for trying the
# programs without an instrument.
add_subdirectory(sim)
if(TARGET wine_tests)
  add_dependencies(wine_tests keltsim)
endif()
add_test(NAME keltsim_imports_only_system_dlls
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:keltsim>)
set_tests_properties(keltsim_imports_only_system_dlls PROPERTIES
  ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")
# The delivered programs carry the commit's date (KeltReproducible.cmake),
# and a second build of them (and of the packages) elsewhere and later gives
# the same bytes.
kelt_dated_from_commit(keltpanel keltterm keltsim)
set(KELT_DELIVERED_FILES $<TARGET_FILE:keltpanel> $<TARGET_FILE:keltsim>)
if(TARGET keltterm)
  list(APPEND KELT_DELIVERED_FILES $<TARGET_FILE:keltterm>)
endif()
add_test(NAME reproducible_build
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-reproducible.sh ${CMAKE_BINARY_DIR} ${KELT_DELIVERED_FILES})
set_tests_properties(reproducible_build PROPERTIES
  TIMEOUT 900 RESOURCE_LOCK kelt_packages_folder ENVIRONMENT "CPACK=${CMAKE_CPACK_COMMAND}")
include(${CMAKE_SOURCE_DIR}/cmake/KeltPackage.cmake)
