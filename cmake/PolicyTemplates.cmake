# The administrative templates in policies/ of the win64 build tree, for the
# MSI and the zip. They are written on the build machine by a native build
# of the same platform-free generator that kmxlogcfg admx runs, so that the
# build runs no Windows program (Wine stays out of the build).
find_program(KMX_HOST_CXX NAMES g++ c++ REQUIRED)
file(GLOB KMX_SETTINGS_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/settings/*.h ${CMAKE_SOURCE_DIR}/formats/*.h)
set(KMX_POLICY_WRITER_SOURCE ${CMAKE_SOURCE_DIR}/packaging/WritePolicyTemplates.cpp)
set(KMX_POLICY_WRITER ${CMAKE_BINARY_DIR}/host/write_policy_templates)
set(KMX_POLICIES_DIR ${CMAKE_BINARY_DIR}/policies)
set(KMX_POLICY_FILES ${KMX_POLICIES_DIR}/KMXLogCtl.admx ${KMX_POLICIES_DIR}/en-US/KMXLogCtl.adml)

add_custom_command(
  OUTPUT ${KMX_POLICY_WRITER}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND ${KMX_HOST_CXX} -std=c++17 -O1 -I${CMAKE_SOURCE_DIR} ${KMX_SETTINGS_SOURCES} ${KMX_FORMATS_SOURCES} ${KMX_POLICY_WRITER_SOURCE}
          -lz -o ${KMX_POLICY_WRITER}
  DEPENDS ${KMX_SETTINGS_SOURCES} ${KMX_FORMATS_SOURCES} ${KMX_SETTINGS_HEADERS} ${KMX_POLICY_WRITER_SOURCE}
  COMMENT "Building the native writer of the administrative templates"
  VERBATIM)
add_custom_command(
  OUTPUT ${KMX_POLICY_FILES}
  COMMAND ${KMX_POLICY_WRITER} ${KMX_POLICIES_DIR}
  DEPENDS ${KMX_POLICY_WRITER}
  COMMENT "Writing policies/KMXLogCtl.admx and policies/en-US/KMXLogCtl.adml"
  VERBATIM)
add_custom_target(policy_templates ALL DEPENDS ${KMX_POLICY_FILES})
