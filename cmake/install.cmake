# Installation: the five shared libraries, zq and its manual page, the
# public headers under include/zqbuiltins, a pkg-config file and a CMake
# package (find_package(zqbuiltins) gives zqbuiltins::zqbuiltins and the
# host libraries zqbuiltins::qx, ::ut, ::zqservices, ::zqmpath).
# Every installed path is relative to the prefix, so the tree may be moved.
include(CMakePackageConfigHelpers)

set(ZQ_INSTALL_TARGETS zqbuiltins qx ut zqservices zqmpath)
if(ZQ_SHELL)
  list(APPEND ZQ_INSTALL_TARGETS zq)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/zq.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(TARGETS ${ZQ_INSTALL_TARGETS} EXPORT zqbuiltinsTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development)

# Headers: the library's interface and the host interfaces it calls, laid
# out as in the source tree so that their own includes resolve, plus the
# stand-in host's dispatch interface.
set(ZQ_INCLUDE_DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zqbuiltins)
install(FILES ${PROJECT_SOURCE_DIR}/builtins/zqbuiltins.h DESTINATION ${ZQ_INCLUDE_DESTINATION}
  COMPONENT Development)
install(FILES ${PROJECT_SOURCE_DIR}/host/qx.h ${PROJECT_SOURCE_DIR}/host/ut.h
  ${PROJECT_SOURCE_DIR}/host/zqservices.h ${PROJECT_SOURCE_DIR}/host/zqmpath.h
  DESTINATION ${ZQ_INCLUDE_DESTINATION}/host COMPONENT Development)
install(FILES ${PROJECT_SOURCE_DIR}/hostlibs/include/zqhost/host.h
  DESTINATION ${ZQ_INCLUDE_DESTINATION}/zqhost COMPONENT Development)

# pkg-config: the prefix is found from the .pc file's own place.
set(ZQ_PKGCONFIG_DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(ZQ_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH ZQ_PC_UP ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
  string(REGEX REPLACE "/$" "" ZQ_PC_UP "${ZQ_PC_UP}")
  set(ZQ_PC_PREFIX "\${pcfiledir}/${ZQ_PC_UP}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/zqbuiltins.pc.in ${PROJECT_BINARY_DIR}/zqbuiltins.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/zqbuiltins.pc DESTINATION ${ZQ_PKGCONFIG_DESTINATION}
  COMPONENT Development)

# The CMake package.
set(ZQ_CMAKE_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zqbuiltins)
install(EXPORT zqbuiltinsTargets NAMESPACE zqbuiltins:: DESTINATION ${ZQ_CMAKE_DESTINATION}
  COMPONENT Development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/zqbuiltinsConfig.cmake.in
  ${PROJECT_BINARY_DIR}/zqbuiltinsConfig.cmake INSTALL_DESTINATION ${ZQ_CMAKE_DESTINATION})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zqbuiltinsConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zqbuiltinsConfig.cmake ${PROJECT_BINARY_DIR}/zqbuiltinsConfigVersion.cmake
  DESTINATION ${ZQ_CMAKE_DESTINATION} COMPONENT Development)
