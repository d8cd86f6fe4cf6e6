# Read by cpack before it makes each package (CPACK_PROJECT_CONFIG_FILE).
#
# Whatever cpack starts (strip, makensis) dates its output from
# the commit: strip, like the linker, writes the PE time stamp from
# SOURCE_DATE_EPOCH, and from the clock without it.
set(ENV{SOURCE_DATE_EPOCH} "${CPACK_KELT_SOURCE_DATE_EPOCH}")

