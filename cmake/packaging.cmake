# Install layout and CPack ZIP archives:
#   bin/      pixet.dll, pixet_c_refhost.dll, pixet-cli.exe
#   lib/      MinGW import libraries (lib*.dll.a), MSVC import libraries (*.lib),
#             cmake/Pixet/ (find_package(Pixet) gives Pixet::pixet, Pixet::pixet_c_refhost)
#   include/  pixet/*.h
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS pixet pixet_c_refhost EXPORT PixetTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${CMAKE_BINARY_DIR}/src/pixet.lib ${CMAKE_BINARY_DIR}/refhost/pixet_c_refhost.lib
  DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS pixet-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY include/pixet DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES refhost/include/pixet/pixet_c_refhost.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pixet)

set(PIXET_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Pixet)
install(EXPORT PixetTargets NAMESPACE Pixet:: DESTINATION ${PIXET_CMAKE_DIR})
configure_package_config_file(cmake/PixetConfig.cmake.in ${CMAKE_BINARY_DIR}/PixetConfig.cmake
  INSTALL_DESTINATION ${PIXET_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/PixetConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/PixetConfig.cmake ${CMAKE_BINARY_DIR}/PixetConfigVersion.cmake
  DESTINATION ${PIXET_CMAKE_DIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Pixet)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Pixet image library for Windows desktop applications")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
include(CPack)
