# The bootstrap's own resources (bootstrp.rc): icon, version information,
# manifest and package block. Include this file from the CMakeLists that
# creates the bootstrp program and add QAR_BOOTSTRP_RC to its sources:
#
#   include(res/resources.cmake)
#   target_sources(bootstrp PRIVATE ${QAR_BOOTSTRP_RC})
#
# The settings below are properties of the .rc file itself, so they need no
# target and reach windres whichever target compiles it.

set(QAR_PACKAGE_BLOCK ${CMAKE_CURRENT_LIST_DIR}/package.bin CACHE FILEPATH
    "Package block built into the bootstrap (resource 260/3, written to SETUP.PKG); a relative path is taken from the source tree")
get_filename_component(qar_package_block "${QAR_PACKAGE_BLOCK}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})

# A wrong file here would surface only when a setup program fails to read
# SETUP.PKG on a user's machine; catch it at configure time instead.
if(NOT EXISTS "${qar_package_block}" OR IS_DIRECTORY "${qar_package_block}")
  message(FATAL_ERROR "QAR_PACKAGE_BLOCK: no such file: ${qar_package_block}")
endif()
file(READ "${qar_package_block}" qar_package_magic LIMIT 4)
if(NOT qar_package_magic STREQUAL "KVPL")
  message(FATAL_ERROR "QAR_PACKAGE_BLOCK: ${qar_package_block} does not begin with KVPL")
endif()

set(QAR_BOOTSTRP_RC ${CMAKE_CURRENT_LIST_DIR}/bootstrp.rc)
set_source_files_properties(${QAR_BOOTSTRP_RC} PROPERTIES
  # windres looks for the icon and the manifest on its include path.
  INCLUDE_DIRECTORIES ${CMAKE_CURRENT_LIST_DIR}
  # windres hands its -D options to the preprocessor through a shell of its
  # own, which eats one level of quoting: the quotes are escaped once more,
  # so that the preprocessor still sees a string.
  COMPILE_DEFINITIONS "QAR_PACKAGE_BLOCK=\\\"${qar_package_block}\\\""
  # windres reports no dependencies; without these a changed block or icon
  # would not rebuild the program.
  OBJECT_DEPENDS "${qar_package_block};${CMAKE_CURRENT_LIST_DIR}/bootstrp.ico;${CMAKE_CURRENT_LIST_DIR}/bootstrp.manifest")
