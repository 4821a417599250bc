# The MSI and the zip of the programs (the dialog, the companion and its windowless twin), the administrative templates and the README, built with every build
# (wixl takes under a second) so that the package tests always have them.
find_program(KMX_WIXL wixl)
set(KMX_PACKAGE_NAME KMXLogCtl-${PROJECT_VERSION}-x64)
set(KMX_PACKAGE_MSI ${CMAKE_BINARY_DIR}/${KMX_PACKAGE_NAME}.msi)
set(KMX_PACKAGE_SCRIPT ${CMAKE_SOURCE_DIR}/packaging/BuildPackage.cmake)

if(KMX_WIXL)
  add_custom_command(
    OUTPUT ${KMX_PACKAGE_MSI} ${CMAKE_BINARY_DIR}/${KMX_PACKAGE_NAME}.zip
    COMMAND ${CMAKE_COMMAND} -DKMX_VERSION=${PROJECT_VERSION}
            "-DKMX_PROGRAMS=$<TARGET_FILE:KMXLogCtl>$<SEMICOLON>$<TARGET_FILE:kmxlogcfg>$<SEMICOLON>$<TARGET_FILE:kmxlogcfgw>"
            -DKMX_POLICIES=${KMX_POLICIES_DIR} -DKMX_README=${CMAKE_SOURCE_DIR}/README.md -DKMX_ICON=${CMAKE_SOURCE_DIR}/resources/KMXLogCtl.ico
            -DKMX_WORK_DIR=${CMAKE_BINARY_DIR}/package -DKMX_OUTPUT_DIR=${CMAKE_BINARY_DIR}
            -P ${KMX_PACKAGE_SCRIPT}
    DEPENDS KMXLogCtl kmxlogcfg kmxlogcfgw ${KMX_POLICY_FILES} ${KMX_PACKAGE_SCRIPT} ${CMAKE_SOURCE_DIR}/packaging/KMXLogCtl.wxs
            ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/resources/KMXLogCtl.ico
    COMMENT "Packaging ${KMX_PACKAGE_NAME}.msi and .zip"
    VERBATIM)
  add_custom_target(msi ALL DEPENDS ${KMX_PACKAGE_MSI})
else()
  message(WARNING "wixl not found (Debian package wixl): no MSI is built and the package tests fail")
endif()

# Installs, upgrades, downgrades and removes the MSI in the test prefix.
add_test(NAME package_tests
         COMMAND ${CMAKE_SOURCE_DIR}/tests/package/package-test.sh ${PROJECT_VERSION} ${CMAKE_BINARY_DIR})
set_tests_properties(package_tests PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop TIMEOUT 120)
