# The version header generated from project(VERSION), and a VERSIONINFO
# resource for each program built from one shared fragment.
set(KMX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/KMXVersion.h.in ${KMX_GENERATED_DIR}/KMXVersion.h @ONLY)

set(KMX_VERSION_RESOURCE ${CMAKE_SOURCE_DIR}/resources/Version.rc)
set_source_files_properties(${KMX_VERSION_RESOURCE} PROPERTIES OBJECT_DEPENDS ${KMX_GENERATED_DIR}/KMXVersion.h)

function(kmx_version_resource target description)
  target_sources(${target} PRIVATE ${KMX_VERSION_RESOURCE})
  target_include_directories(${target} PRIVATE ${KMX_GENERATED_DIR})
  target_compile_definitions(${target} PRIVATE
    "$<$<COMPILE_LANGUAGE:RC>:KMX_FILE_DESCRIPTION=${description}>"
    "$<$<COMPILE_LANGUAGE:RC>:KMX_ORIGINAL_FILENAME=$<TARGET_FILE_NAME:${target}>>")
endfunction()

kmx_version_resource(KMXLogCtl "Korvex Connector Logging Control")
kmx_version_resource(kmxlogcfg "Korvex Connector Logging Control for the command line")
kmx_version_resource(kmxlogcfgw "Korvex Connector Logging Control for the command line without a window")
