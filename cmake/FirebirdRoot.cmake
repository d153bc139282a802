# A private Firebird configuration root in the build folder, so that the
# embedded engine of the tests, the sample tools and the sample run load the
# project's UDR plug-in from the build (FIREBIRD=<build>/firebird-root):
# the installed configuration and plug-ins, real copies of the character-set
# library (a linked one loses SJIS_0208), and a UDR folder of our own.
set(FIREBIRD_SYSTEM_ROOT "/usr/lib/x86_64-linux-gnu/firebird/3.0" CACHE PATH "installed Firebird root")
set(FIREBIRD_PROJECT_ROOT "${CMAKE_BINARY_DIR}/firebird-root")

file(MAKE_DIRECTORY "${FIREBIRD_PROJECT_ROOT}/intl" "${FIREBIRD_PROJECT_ROOT}/udr")
foreach(f intl/libfbintl.so intl/fbintl.conf firebird.conf databases.conf)
  file(REAL_PATH "${FIREBIRD_SYSTEM_ROOT}/${f}" source)
  get_filename_component(dir "${FIREBIRD_PROJECT_ROOT}/${f}" DIRECTORY)
  get_filename_component(name "${f}" NAME)
  configure_file("${source}" "${dir}/${name}" COPYONLY)
endforeach()
file(CREATE_LINK "${FIREBIRD_SYSTEM_ROOT}/plugins" "${FIREBIRD_PROJECT_ROOT}/plugins" SYMBOLIC)
file(CREATE_LINK "${FIREBIRD_SYSTEM_ROOT}/firebird.msg" "${FIREBIRD_PROJECT_ROOT}/firebird.msg" SYMBOLIC)
file(WRITE "${FIREBIRD_PROJECT_ROOT}/plugins.conf"
  "Plugin = UDR {\n\tModule = $(dir_plugins)/udr_engine\n\tConfig = UDR_config\n}\n"
  "Config = UDR_config {\n\tpath = ${FIREBIRD_PROJECT_ROOT}/udr\n}\n")
# Embedded use creates databases here; the file procedures themselves are
# exercised through a private server with a root of its own.
file(WRITE "${FIREBIRD_PROJECT_ROOT}/udr/miruza_udr.conf" "DataRoot = /tmp\n")
