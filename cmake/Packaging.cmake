# Debian packages of the suite, made by `cpack -G DEB` in the build directory:
#   vocrix      every install component but "development": the programs, desktop entries,
#               MIME type, icons, manual pages and the example speech file;
#   vocrix-dev  the "development" component: the codec library, its headers, pkg-config file.
# Components are taken from the install() rules as the folders declare them, so a program
# that adds its rules is packaged with no change here. Included last, after every folder.
# Dependencies come from dpkg-shlibdeps (package dpkg-dev) over the installed programs.

# The sample the manual page's examples use, with its source and licence.
install(FILES ${PROJECT_SOURCE_DIR}/samples/vm-intro.wav ${PROJECT_SOURCE_DIR}/samples/README.md
        DESTINATION share/doc/vocrix/examples COMPONENT programs)

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vocrix.pc.in vocrix.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vocrix.pc DESTINATION ${VX_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vocrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vocrix maintainers <maintainers@vocrix.invalid>")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Programs and libraries without their debugging sections, as Debian ships them.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME vocrix)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION
    "low-bit-rate compressed speech: player and tools
A code-excited linear-prediction speech codec at 8000 Hz (7600 and 4800 bit/s, with
voice-activity coded noise and silence frames), its compressed speech files (.vxs, .cht)
and the programs around it: the player vocrix and the command-line tool vxtool (info,
decode, encode, play, record).")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME vocrix-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "Vocrix speech codec library (development files)
The static codec library vxcodec with the byte streams it reads and writes through,
its C++20 headers and a pkg-config file (pkg-config vocrix).")

include(CPackComponent)
get_cmake_property(components COMPONENTS)
foreach(component IN LISTS components)
  if(component STREQUAL "development")
    cpack_add_component(${component} GROUP dev)
  else()
    cpack_add_component(${component} GROUP programs)
  endif()
endforeach()
include(CPack)

if(BUILD_TESTING)
  add_test(NAME package_install
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/package_install_test.sh ${CMAKE_BINARY_DIR}
                   ${CMAKE_CXX_COMPILER} ${VX_GUI} "${VX_SANITIZE}")
  set_tests_properties(package_install PROPERTIES TIMEOUT 600)
endif()
