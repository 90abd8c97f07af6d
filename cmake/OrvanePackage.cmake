# Package: find_package(OrvaneStories) gives OrvaneStories::Core, and OrvaneStories::Quick with
# OrvaneStories::QuickPlugin when the component Quick is asked for and was installed.

include(CMakePackageConfigHelpers)
get_target_property(ORVANE_CORE_TYPE orvane_core TYPE)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OrvaneStoriesConfig.cmake.in
  ${PROJECT_BINARY_DIR}/OrvaneStoriesConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/OrvaneStories)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OrvaneStoriesConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OrvaneStoriesConfig.cmake ${PROJECT_BINARY_DIR}/OrvaneStoriesConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/OrvaneStories)

# pkg-config for hosts that build without CMake (the headers need C++20). Relative to the file
# itself, so the installed prefix can move.
file(RELATIVE_PATH ORVANE_PC_PREFIX_FROM_PCFILEDIR /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
# A static core's own dependencies are linked by the host too.
if(ORVANE_CORE_TYPE STREQUAL "STATIC_LIBRARY")
  set(ORVANE_PC_LINKED_REQUIRES "libcurl liburiparser simdjson")
  set(ORVANE_PC_PRIVATE_REQUIRES "")
else()
  set(ORVANE_PC_LINKED_REQUIRES "")
  set(ORVANE_PC_PRIVATE_REQUIRES "libcurl liburiparser simdjson")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/orvanestories.pc.in ${PROJECT_BINARY_DIR}/orvanestories.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/orvanestories.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvanestories)
