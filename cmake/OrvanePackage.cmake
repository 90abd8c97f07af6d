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

# pkg-config for hosts that build without CMake (the headers need C++20).
configure_file(${PROJECT_SOURCE_DIR}/cmake/orvanestories.pc.in ${PROJECT_BINARY_DIR}/orvanestories.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/orvanestories.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvanestories)
