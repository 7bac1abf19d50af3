# What `cmake --install` puts into the prefix on Linux: libmpdll.so with its
# SONAME links, the header, the CMake package (find_package(mpdll CONFIG)
# gives mpdll::mpdll) and mpdll.pc for pkg-config. The programs mpctl and
# mpboard install themselves from tools/. Every file belongs to one of four
# components, which `cmake --install --component NAME` installs alone:
# runtime (the library), development (everything a build against it needs),
# tools (mpctl) and simulator (mpboard); cmake/DebianPackages.cmake makes
# them into three packages.
include(CMakePackageConfigHelpers)

set(MPDLL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/mpdll)
set(MPDLL_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS mpdll EXPORT mpdllTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES ${CMAKE_SOURCE_DIR}/include/mpdll/mpdll.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mpdll
  COMPONENT development)

install(EXPORT mpdllTargets NAMESPACE mpdll:: DESTINATION ${MPDLL_CMAKE_DIR} COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/mpdllConfig.cmake.in
  ${CMAKE_BINARY_DIR}/mpdllConfig.cmake INSTALL_DESTINATION ${MPDLL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/mpdllConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/mpdllConfig.cmake ${CMAKE_BINARY_DIR}/mpdllConfigVersion.cmake
  DESTINATION ${MPDLL_CMAKE_DIR} COMPONENT development)

# The .pc file finds the prefix from its own place, so the installed tree
# works under whatever prefix `cmake --install --prefix` is given.
file(RELATIVE_PATH MPDLL_PC_TO_PREFIX /root/${MPDLL_PKGCONFIG_DIR} /root)
string(REGEX REPLACE "/$" "" MPDLL_PC_TO_PREFIX "${MPDLL_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/mpdll.pc.in ${CMAKE_BINARY_DIR}/mpdll.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/mpdll.pc DESTINATION ${MPDLL_PKGCONFIG_DIR} COMPONENT development)
