# Release packages of the delivered 32-bit programs: a ZIP to unpack anywhere
# and an installer with Start-menu shortcuts and an uninstaller.
#
#   cmake --build --preset win32 --target package
#
# builds the programs and writes KELT-9R-<version>-win32.zip and .exe into
# build/win32/packages/. The tests of this build make and check them too.
# A package lacking a delivered file is refused; while one is still being
# written, -DKELT_PACKAGE_ALLOW_INCOMPLETE=ON (or cpack -D
# CPACK_KELT_ALLOW_INCOMPLETE=ON) makes one to look at.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  option(KELT_PACKAGE_ALLOW_INCOMPLETE
         "Development only: let cpack make packages that lack a delivered file" OFF)

  set(KELT_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

  # Everything sits in the root of the package: the programs need no DLLs
  # beside them, and the sample script is one to open with File > Open.
  install(TARGETS keltpanel RUNTIME DESTINATION .)
  if(TARGET keltterm)
    install(TARGETS keltterm RUNTIME DESTINATION .)
  else()
    message(WARNING "keltterm is not defined: packages made now lack the terminal")
  endif()
  # The simulated instrument, to try the programs with two joined COM ports
  # and no instrument; the text beside it says how.
  install(TARGETS keltsim RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION . OPTIONAL)
  # What this version does for a technician, and what it guards against.
  install(FILES ${CMAKE_SOURCE_DIR}/CHANGELOG.md DESTINATION .)
  install(FILES ${KELT_PACKAGING_DIR}/sample.scp ${KELT_PACKAGING_DIR}/TRY-WITHOUT-INSTRUMENT.txt
          DESTINATION .)

  # cpack refuses to package a tree without all of these, unless told
  # otherwise for development: a terminal or README still missing must not
  # slip into a release.
  set(CPACK_KELT_REQUIRED_FILES keltpanel.exe keltterm.exe keltsim.exe README.md CHANGELOG.md
                                sample.scp TRY-WITHOUT-INSTRUMENT.txt)
  set(CPACK_KELT_ALLOW_INCOMPLETE ${KELT_PACKAGE_ALLOW_INCOMPLETE})

  # The same commit packs to the same bytes: the ZIP's entries take the
  # commit's date and a fixed order (packaging/repack_zip.py), and the
  # release folder gets SHA256SUMS. With a certificate in the environment
  # the programs, the uninstaller and the installer are signed
  # (scripts/sign.sh).
  find_program(KELT_PYTHON NAMES python3 REQUIRED)
  set(CPACK_KELT_PYTHON ${KELT_PYTHON})
  set(CPACK_KELT_SOURCE_DATE_EPOCH ${KELT_SOURCE_DATE_EPOCH})
  set(CPACK_KELT_SIGN ${CMAKE_SOURCE_DIR}/scripts/sign.sh)
  set(CPACK_KELT_CMAKE ${CMAKE_COMMAND})
  set(CPACK_PROJECT_CONFIG_FILE ${KELT_PACKAGING_DIR}/cpack-settings.cmake)
  set(CPACK_PRE_BUILD_SCRIPTS ${KELT_PACKAGING_DIR}/require-complete.cmake
                              ${KELT_PACKAGING_DIR}/staged-programs.cmake)
  set(CPACK_POST_BUILD_SCRIPTS ${KELT_PACKAGING_DIR}/finish-packages.cmake)

  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_PACKAGE_NAME "KELT-9R")
  set(CPACK_PACKAGE_VENDOR "Quillion Maritime Corp.")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "KELT-9R control panel, serial terminal and simulated instrument")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_SYSTEM_NAME win32)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}")
  set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
  # Stripped programs ship even from a build folder whose cache was made
  # before the toolchain passed -s to the linker, or from another build
  # type: packaging/staged-programs.cmake strips them, with the commit's
  # date. (cpack's own strip would date them from the clock.)
  set(CPACK_KELT_STRIP ${CMAKE_STRIP})
  # The NSIS parts are full of backslashes and dollars that must reach the
  # installer script as written.
  set(CPACK_VERBATIM_VARIABLES ON)

  # One fixed name for folder, Start-menu folder and registry key, so that a
  # newer version replaces the older one instead of installing beside it.
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "KELT-9R")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "KELT-9R")
  set(CPACK_NSIS_PACKAGE_NAME "KELT-9R")
  set(CPACK_NSIS_DISPLAY_NAME "KELT-9R ${CPACK_PACKAGE_VERSION}")
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  # The installer keeps no file dates: one it kept would be the time cpack
  # wrote its own page file. Installed files are dated when installed.
  set(CPACK_NSIS_DEFINES "  SetDateSave off")
  set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/resources/keltpanel.ico)
  set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/resources/keltpanel.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME keltpanel.exe)
  file(READ ${KELT_PACKAGING_DIR}/nsis/create-icons.nsh CPACK_NSIS_CREATE_ICONS_EXTRA)
  file(READ ${KELT_PACKAGING_DIR}/nsis/delete-icons.nsh CPACK_NSIS_DELETE_ICONS_EXTRA)
  file(READ ${KELT_PACKAGING_DIR}/nsis/extra-install.nsh CPACK_NSIS_EXTRA_INSTALL_COMMANDS)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${KELT_PACKAGING_DIR}/nsis/create-icons.nsh
    ${KELT_PACKAGING_DIR}/nsis/delete-icons.nsh
    ${KELT_PACKAGING_DIR}/nsis/extra-install.nsh)

  include(CPack)

  # The tests make the packages themselves (the programs are built by then)
  # and read them back; where Wine runs 32-bit programs, package_tests (in
  # tests/wine) installs and starts them too.
  function(kelt_package_test name)
    add_test(NAME packages_${name}
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-packages.sh ${CMAKE_BINARY_DIR} ${ARGN})
    set_tests_properties(packages_${name} PROPERTIES
      ENVIRONMENT "CPACK=${CMAKE_CPACK_COMMAND};OBJDUMP=${CMAKE_OBJDUMP};KELT_VERSION=${PROJECT_VERSION};KELT_TERMINAL_VERSION=${KELT_TERMINAL_VERSION}"
      RESOURCE_LOCK kelt_packages_folder)
  endfunction()
  kelt_package_test(build build)
  set_tests_properties(packages_build PROPERTIES FIXTURES_SETUP kelt_packages)
  kelt_package_test(zip_contents zip)
  kelt_package_test(installer_contents installer)
  kelt_package_test(installer_shortcuts_and_uninstaller script)
  kelt_package_test(program_versions versions)
  kelt_package_test(programs_import_only_system_dlls imports)
  kelt_package_test(release_folder_checksums sums)
  set_tests_properties(packages_zip_contents packages_installer_contents
                       packages_installer_shortcuts_and_uninstaller packages_program_versions
                       packages_programs_import_only_system_dlls packages_release_folder_checksums
                       PROPERTIES FIXTURES_REQUIRED kelt_packages)
  # Signed with a throw-away certificate, into a folder of their own, and
  # compared with the unsigned packages.
  kelt_package_test(signed_with_a_certificate signed)
  set_tests_properties(packages_signed_with_a_certificate PROPERTIES
    FIXTURES_REQUIRED kelt_packages FIXTURES_SETUP kelt_signed_packages)

  # The sample script is read and written back by the panel's own code,
  # built for this machine from keltcore's current sources.
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/packaging/keltcore_sources.cmake
       CONTENT "set(KELT_CORE_SOURCES \"$<TARGET_PROPERTY:kelt_link,SOURCES>;$<TARGET_PROPERTY:kelt_settings,SOURCES>;$<TARGET_PROPERTY:kelt_panel,SOURCES>\")\n")
  add_test(NAME packages_sample_script
           COMMAND ${CMAKE_CTEST_COMMAND}
             --build-and-test ${KELT_PACKAGING_DIR}/sample_check
                              ${CMAKE_BINARY_DIR}/packaging/sample_check
             --build-generator ${CMAKE_GENERATOR}
             --build-noclean
             --build-options -DKELT_SOURCE_DIR=${CMAKE_SOURCE_DIR}
                             -DKELT_GENERATED_DIR=${KELT_GENERATED_DIR}
                             -DKELT_CORE_SOURCES_FILE=${CMAKE_BINARY_DIR}/packaging/keltcore_sources.cmake
             --test-command sample_check ${KELT_PACKAGING_DIR}/sample.scp)
  set_tests_properties(packages_sample_script PROPERTIES ENVIRONMENT "MAKEFLAGS=-j2")
endif()
