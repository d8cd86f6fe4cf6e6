# Run by cpack on the staged tree of each package before it is packed: a
# release holds every delivered file, or none is made. CPACK_KELT_ALLOW_INCOMPLETE
# (the KELT_PACKAGE_ALLOW_INCOMPLETE option, or cpack -D) lets a developer
# look at a package while a piece is still missing.
set(missing "")
foreach(name IN LISTS CPACK_KELT_REQUIRED_FILES)
  if(NOT EXISTS "${CPACK_TEMPORARY_DIRECTORY}/${name}")
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  list(JOIN missing ", " missing)
  if(CPACK_KELT_ALLOW_INCOMPLETE)
    message(WARNING "${CPACK_GENERATOR} package lacks ${missing}: for development only")
  else()
    message(FATAL_ERROR "${CPACK_GENERATOR} package lacks ${missing}; "
                        "a release needs every delivered file")
  endif()
endif()
