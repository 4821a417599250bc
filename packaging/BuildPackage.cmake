# Builds the MSI and the zip of one version from built programs (script mode):
#   cmake -DKMX_VERSION=x.y.z -DKMX_PROGRAMS="a.exe;b.exe" -DKMX_POLICIES=dir -DKMX_README=README.md
#         -DKMX_ICON=app.ico -DKMX_WORK_DIR=dir -DKMX_OUTPUT_DIR=dir
#         -P BuildPackage.cmake
# Writes KMX_OUTPUT_DIR/KMXLogCtl-<version>-x64.msi and .zip; the zip holds
# the same files as the MSI in a folder of the same name.
cmake_minimum_required(VERSION 3.25)

foreach(required KMX_VERSION KMX_PROGRAMS KMX_POLICIES KMX_README KMX_ICON KMX_WORK_DIR KMX_OUTPUT_DIR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "BuildPackage.cmake needs -D${required}=...")
  endif()
endforeach()
# Windows Installer compares major.minor.build with at most 255.255.65535.
if(NOT KMX_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$" OR CMAKE_MATCH_1 GREATER 255
   OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 65535)
  message(FATAL_ERROR "Version '${KMX_VERSION}' is not major.minor.patch within 255.255.65535")
endif()
find_program(KMX_WIXL wixl REQUIRED)

set(name KMXLogCtl-${KMX_VERSION}-x64)
set(files_dir ${KMX_WORK_DIR}/${name})
file(REMOVE_RECURSE ${files_dir})
file(MAKE_DIRECTORY ${files_dir} ${KMX_OUTPUT_DIR})
file(COPY ${KMX_PROGRAMS} DESTINATION ${files_dir})
# The administrative templates: KMXLogCtl.admx and en-US/KMXLogCtl.adml.
file(COPY ${KMX_POLICIES}/ DESTINATION ${files_dir}/policies)
file(COPY_FILE ${KMX_ICON} ${KMX_WORK_DIR}/KMXLogCtl.ico)
# Windows line ends, so that any text editor shows the README as written.
file(READ ${KMX_README} readme)
string(REPLACE "\r\n" "\n" readme "${readme}")
string(REPLACE "\n" "\r\n" readme "${readme}")
file(WRITE ${files_dir}/README.txt "${readme}")

# The product code follows from the upgrade code (kept in the .wxs) and the
# version: every version is a product of its own, and rebuilding one does not
# make another.
set(wxs ${CMAKE_CURRENT_LIST_DIR}/KMXLogCtl.wxs)
file(STRINGS ${wxs} upgrade_line REGEX "UpgradeCode=")
if(NOT upgrade_line MATCHES "UpgradeCode=\"([-0-9A-F]+)\"")
  message(FATAL_ERROR "No UpgradeCode found in ${wxs}")
endif()
set(upgrade_code ${CMAKE_MATCH_1})
string(UUID product_code NAMESPACE ${upgrade_code} NAME ${KMX_VERSION} TYPE SHA1 UPPER)

set(msi ${KMX_OUTPUT_DIR}/${name}.msi)
execute_process(
  COMMAND ${KMX_WIXL} -a x64 -D Version=${KMX_VERSION} -D ProductCode=${product_code}
          -D FilesDir=${name} -D Icon=KMXLogCtl.ico -o ${msi} ${wxs}
  WORKING_DIRECTORY ${KMX_WORK_DIR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${msi})
  message(FATAL_ERROR "wixl failed (${status})")
endif()

set(zip ${KMX_OUTPUT_DIR}/${name}.zip)
file(REMOVE ${zip})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${name}
  WORKING_DIRECTORY ${KMX_WORK_DIR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "zip failed (${status})")
endif()
