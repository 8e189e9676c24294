# Installation of the library: the shared object with its SONAME and version
# links, the public header, a pkg-config file and a CMake package
#   find_package(paketlog 1 REQUIRED)  ->  paketlog::paketlog
# The command-line tool installs itself (tools/CMakeLists.txt). The licence
# goes to share/doc/paketlog/.
#
# A program that links the library supplies tevo_snprintf itself; the
# library leaves it undefined.
include(CMakePackageConfigHelpers)

set(PAKETLOG_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/paketlog
    CACHE STRING "Where the CMake package files of paketlog are installed")

# The header needs C++11 at least (the library itself is built as C++17).
target_compile_features(paketlog INTERFACE cxx_std_11)

install(TARGETS paketlog EXPORT paketlogTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/paketlog.h ${PROJECT_BINARY_DIR}/include/paketlog_version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)

install(EXPORT paketlogTargets
  NAMESPACE paketlog::
  FILE paketlogTargets.cmake
  DESTINATION ${PAKETLOG_INSTALL_CMAKEDIR} COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/paketlogConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/paketlogConfig.cmake
  INSTALL_DESTINATION ${PAKETLOG_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/paketlogConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/paketlogConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/paketlogConfigVersion.cmake
  DESTINATION ${PAKETLOG_INSTALL_CMAKEDIR} COMPONENT development)

# pkg-config. The prefix is the one in force when installing, so that
# `cmake --install <build> --prefix <dir>` writes a file that fits <dir>.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(PAKETLOG_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  set(PAKETLOG_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(PAKETLOG_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(PAKETLOG_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
set(PAKETLOG_PC_PREFIX "@PAKETLOG_PC_PREFIX@")  # left for install time
configure_file(${CMAKE_CURRENT_LIST_DIR}/paketlog.pc.in ${CMAKE_CURRENT_BINARY_DIR}/paketlog.pc.in @ONLY)
install(CODE "
  set(PAKETLOG_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${CMAKE_CURRENT_BINARY_DIR}/paketlog.pc.in\" \"${CMAKE_CURRENT_BINARY_DIR}/paketlog.pc\" @ONLY)
" COMPONENT development)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/paketlog.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
