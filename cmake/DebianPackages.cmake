# The Debian packages `make deb` builds with CPack from the native build:
#   libmpdll1     the shared library (component runtime)
#   libmpdll-dev  header, libmpdll.so, the CMake package and mpdll.pc (development)
#   mpdll-tools   mpctl and the board simulator mpboard (tools, simulator)
# Installed under /usr; mpctl finds the library by its RPATH relative to
# itself, so an unpacked tree (dpkg -x) works as well as an installed one.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mpdll)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drive the radio test mode of a wireless router board")
set(CPACK_PACKAGE_CONTACT "mpdll developers <mpdll@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tools simulator)
# The command-line tool and the simulator go into one package, named after
# the group they share.
set(CPACK_COMPONENT_TOOLS_GROUP tools)
set(CPACK_COMPONENT_SIMULATOR_GROUP tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)

# The C library dependencies come from dpkg-shlibdeps; libmpdll.so.1 itself
# is found in the build tree and depended on as the runtime component.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/src)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libmpdll1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "mpdll shared library: the board test-mode library
 Reaches a wireless router board over telnet, a serial console or UDP and runs
 its radio test operations.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libmpdll-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "mpdll development files
 The C header mpdll/mpdll.h, the CMake package (find_package(mpdll CONFIG))
 and mpdll.pc for pkg-config.")
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME mpdll-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "mpdll command-line tool and board simulator
 mpctl runs any board operation of the library from the command line;
 mpboard simulates a board over telnet, UDP and a serial console.")

include(CPack)
