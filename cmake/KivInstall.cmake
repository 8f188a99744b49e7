# What "cmake --install" puts where. The default component holds what a user
# of the toolchain needs: kivg, kivs, kivinfo, kivls, their manual pages and the user
# documentation, kiv.h and kivd.h, the CMake package and a pkg-config file.
# The component "standins", installed only when asked for, holds the stand-in
# engine and source-info libraries, the stand-in compiler kivc (kept off the
# program path) and the package file that makes them imported targets.
include(CMakePackageConfigHelpers)
set(KIV_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv)
set(KIV_STANDIN_LIBDIR ${CMAKE_INSTALL_LIBDIR}/kiv-standins)

# Installed programs find shared libraries of their own prefix: a real engine
# installed beside them, or shared stand-ins.
set_target_properties(kivs kivinfo PROPERTIES INSTALL_RPATH
  "$ORIGIN/../${CMAKE_INSTALL_LIBDIR};$ORIGIN/../${KIV_STANDIN_LIBDIR}")

set_target_properties(kiv_interface PROPERTIES EXPORT_NAME interface)
install(TARGETS kivg kiv_interface EXPORT KivTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kivs kivinfo kivls RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KIV_INTERFACE_INCLUDE_DIR}/kiv.h ${KIV_INTERFACE_INCLUDE_DIR}/kivd.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES doc/kivg.1 doc/kivs.1 doc/kivinfo.1 doc/kivls.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES doc/spec-language.md doc/generated-files.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

configure_package_config_file(cmake/KivConfig.cmake.in
  ${PROJECT_BINARY_DIR}/KivConfig.cmake
  INSTALL_DESTINATION ${KIV_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KivConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(EXPORT KivTargets NAMESPACE Kiv:: DESTINATION ${KIV_PACKAGE_DIR})
install(FILES ${PROJECT_BINARY_DIR}/KivConfig.cmake
              ${PROJECT_BINARY_DIR}/KivConfigVersion.cmake
              cmake/KivAppSpec.cmake cmake/KivAppSpecDepfile.cmake
        DESTINATION ${KIV_PACKAGE_DIR})

# The pkg-config file describes the program and the headers only, so it is
# the same on every architecture; it finds its prefix from its own place.
set(KIV_PKGCONFIG_DIR ${CMAKE_INSTALL_DATADIR}/pkgconfig)
file(RELATIVE_PATH KIV_PKGCONFIG_TO_PREFIX /prefix/${KIV_PKGCONFIG_DIR} /prefix)
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(KIV_PKGCONFIG_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(KIV_PKGCONFIG_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
  set(KIV_PKGCONFIG_BINDIR "${CMAKE_INSTALL_BINDIR}")
else()
  set(KIV_PKGCONFIG_BINDIR "\${prefix}/${CMAKE_INSTALL_BINDIR}")
endif()
configure_file(cmake/kiv.pc.in ${PROJECT_BINARY_DIR}/kiv.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kiv.pc DESTINATION ${KIV_PKGCONFIG_DIR})

set_target_properties(kiv_standin_engine PROPERTIES EXPORT_NAME standin_engine)
set_target_properties(kiv_standin_sourceinfo PROPERTIES
                      EXPORT_NAME standin_sourceinfo)
set_target_properties(kivc PROPERTIES EXPORT_NAME standin_kivc)
install(TARGETS kiv_standin_engine kiv_standin_sourceinfo kivc
        EXPORT KivStandinTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kiv-standins
                COMPONENT standins EXCLUDE_FROM_ALL
        LIBRARY DESTINATION ${KIV_STANDIN_LIBDIR}
                COMPONENT standins EXCLUDE_FROM_ALL
        ARCHIVE DESTINATION ${KIV_STANDIN_LIBDIR}
                COMPONENT standins EXCLUDE_FROM_ALL)
install(EXPORT KivStandinTargets NAMESPACE Kiv::
        DESTINATION ${KIV_PACKAGE_DIR} COMPONENT standins EXCLUDE_FROM_ALL)

# Shared stand-ins are also what kivs and kivinfo load when no real library
# was named, so the plain install carries them too.
if(NOT KIV_ENGINE_LIBRARY)
  list(APPEND KIV_LOADED_STANDINS kiv_standin_engine)
endif()
if(NOT KIV_SOURCEINFO_LIBRARY)
  list(APPEND KIV_LOADED_STANDINS kiv_standin_sourceinfo)
endif()
foreach(library IN LISTS KIV_LOADED_STANDINS)
  get_target_property(type ${library} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    install(TARGETS ${library} LIBRARY DESTINATION ${KIV_STANDIN_LIBDIR})
  endif()
endforeach()
