# What "cmake --install" puts where. The default component holds what a user
# of the toolchain needs: kivg, kivs, kivinfo, kivls, their manual pages and
# the user documentation, kiv.h and kivd.h, the spec files of the app specs
# built into kivs (every script kivs runs is compiled against one of them),
# the CMake package and a pkg-config file.
# The component "standins", installed only when asked for, holds the stand-in
# engine and source-info libraries, the stand-in compiler kivc (kept off the
# program path) and the package file that makes them imported targets.
include(CMakePackageConfigHelpers)
set(KIV_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv)
set(KIV_STANDIN_LIBDIR ${CMAKE_INSTALL_LIBDIR}/kiv-standins)

# Installed programs find the shared libraries they load in their own prefix:
# a real engine or source-info library installed beside them, or shared
# stand-ins. With static libraries (the default) they carry no search path,
# which would name directories the install does not hold.
set(KIV_PROGRAM_RPATH "")
foreach(library IN ITEMS ENGINE SOURCEINFO)
  if(KIV_${library}_LIBRARY MATCHES "\\.so(\\.|$)")
    list(APPEND KIV_PROGRAM_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  endif()
endforeach()
foreach(library IN ITEMS kiv_standin_engine kiv_standin_sourceinfo)
  get_target_property(type ${library} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    list(APPEND KIV_PROGRAM_RPATH "$ORIGIN/../${KIV_STANDIN_LIBDIR}")
  endif()
endforeach()
list(REMOVE_DUPLICATES KIV_PROGRAM_RPATH)
set_target_properties(kivs kivinfo PROPERTIES INSTALL_RPATH
                      "${KIV_PROGRAM_RPATH}")

set_target_properties(kiv_interface PROPERTIES EXPORT_NAME interface)
install(TARGETS kivg kiv_interface EXPORT KivTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kivs kivinfo kivls RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KIV_INTERFACE_INCLUDE_DIR}/kiv.h ${KIV_INTERFACE_INCLUDE_DIR}/kivd.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The manual pages get the date and the version of this release on their .TH
# line and are installed compressed, as man reads them and as Debian wants
# them (gzip -9n: the best compression, no name or time in the file, so that
# two builds give the same bytes).
find_program(KIV_GZIP gzip)
# Sets <out> to file compressed into file.gz, or to file itself when there
# is no gzip.
function(kiv_compressed out file)
  if(KIV_GZIP)
    execute_process(COMMAND "${KIV_GZIP}" -9n -c "${file}"
                    OUTPUT_FILE "${file}.gz" RESULT_VARIABLE gzipped)
    if(NOT gzipped EQUAL 0)
      message(FATAL_ERROR "gzip could not compress ${file}")
    endif()
    set(file "${file}.gz")
  endif()
  set(${out} "${file}" PARENT_SCOPE)
endfunction()
foreach(page IN ITEMS kivg.1 kivs.1 kivinfo.1 kivls.1 kivspec.5)
  string(REGEX MATCH "[0-9]$" section "${page}")
  configure_file(doc/${page} "${PROJECT_BINARY_DIR}/doc/${page}" @ONLY)
  kiv_compressed(installed "${PROJECT_BINARY_DIR}/doc/${page}")
  install(FILES "${installed}"
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
install(FILES doc/spec-language.md doc/generated-files.md doc/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The app specs built into kivs: scripts for an installed kivs are compiled
# against these (their names are also in the CMake package and kiv.pc).
set(KIV_SPEC_FILE_DIR ${CMAKE_INSTALL_DATADIR}/kiv)
install(FILES ${PROJECT_BINARY_DIR}/standalone/standalone.kivec
              ${PROJECT_BINARY_DIR}/standalone/standalone-oo.kivec
        DESTINATION ${KIV_SPEC_FILE_DIR})

configure_package_config_file(cmake/KivConfig.cmake.in
  ${PROJECT_BINARY_DIR}/KivConfig.cmake
  INSTALL_DESTINATION ${KIV_PACKAGE_DIR}
  PATH_VARS KIV_SPEC_FILE_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KivConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(EXPORT KivTargets NAMESPACE Kiv:: DESTINATION ${KIV_PACKAGE_DIR})
install(FILES ${PROJECT_BINARY_DIR}/KivConfig.cmake
              ${PROJECT_BINARY_DIR}/KivConfigVersion.cmake
              cmake/KivAppSpec.cmake cmake/KivAppSpecDepfile.cmake
        DESTINATION ${KIV_PACKAGE_DIR})

# The pkg-config file describes the program, the headers and the spec files
# only, so it is the same on every architecture. Its paths are written when
# it is installed, from the prefix of that install (cpack's /usr included):
# pkg-config shows them as they stand, and leaves out -I/usr/include only
# when it is spelled so. Each install configures its own copy, so that
# installs running at once (cpack beside cmake --install) cannot meet in it.
install(CODE "
  get_filename_component(KIV_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\" ABSOLUTE)
  set(KIV_PC_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(KIV_PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(KIV_PC_SPEC_FILE_DIR \"${KIV_SPEC_FILE_DIR}\")
  foreach(dir IN ITEMS KIV_PC_BINDIR KIV_PC_INCLUDEDIR KIV_PC_SPEC_FILE_DIR)
    if(NOT IS_ABSOLUTE \"\${\${dir}}\")
      set(\${dir} \"\${KIV_PC_PREFIX}/\${\${dir}}\")
    endif()
  endforeach()
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  string(RANDOM LENGTH 16 kiv_pc_install)
  set(kiv_pc_dir \"${PROJECT_BINARY_DIR}/pkgconfig-install-\${kiv_pc_install}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/kiv.pc.in\"
                 \"\${kiv_pc_dir}/kiv.pc\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/pkgconfig\"
       TYPE FILE FILES \"\${kiv_pc_dir}/kiv.pc\")
  file(REMOVE_RECURSE \"\${kiv_pc_dir}\")
")

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
