# Settings for cpack. "cpack -G DEB" in the build directory makes a Debian
# package of the plain install (the stand-ins stay out), installed under /usr,
# that lintian accepts without errors or warnings.
set(CPACK_PACKAGE_NAME kiv)
set(CPACK_PACKAGE_VENDOR "Kiv toolchain developers")
# Debian wants the one-line summary not to start with the package's name.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "spec generator, script runner, information utility and language server for Kiv")
# Lines of at most 80 characters: cpack indents them into the control file.
set(CPACK_PACKAGE_DESCRIPTION
"Kiv is a small indentation-structured scripting language for embedded
applications. This package holds the host-side tools around its engine:
 - kivg turns an application spec (*.kivs) into the binary spec file that
   the script compiler reads and the C code that the application compiles
   in: symbol macros, prototypes and the dispatch function;
 - kivs runs compiled Kiv scripts against two built-in app specs, whose
   spec files it installs;
 - kivinfo translates result codes, program counters and symbol numbers;
 - kivls gives editors kivg's diagnostics while a spec is written, as a
   language server.
It also holds the engine interface headers, a CMake package with the
function kiv_add_app_spec, a pkg-config file and editor support.")
if(NOT CPACK_PACKAGE_CONTACT)
  set(CPACK_PACKAGE_CONTACT "Kiv toolchain developers <kiv-toolchain@example.invalid>")
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# Depends is computed from the programs' shared libraries (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The build keeps its debug information (RelWithDebInfo); the package's
# programs go without it, and without the build tree's paths it names.
set(CPACK_STRIP_FILES ON)

# A native Debian package has its changelog, in Debian's format, in
# share/doc/kiv/changelog.gz. It is made here and belongs to the component
# "debian", which only the package installs.
string(REGEX MATCH "^([0-9]+)-0*([0-9]+)-0*([0-9]+)$" kiv_date
       "${KIV_RELEASE_DATE}")
set(kiv_year ${CMAKE_MATCH_1})
set(kiv_month ${CMAKE_MATCH_2})
set(kiv_day ${CMAKE_MATCH_3})
# Zeller's congruence gives the weekday that the changelog's date names.
set(kiv_m ${kiv_month})
set(kiv_y ${kiv_year})
if(kiv_m LESS 3)
  math(EXPR kiv_m "${kiv_m} + 12")
  math(EXPR kiv_y "${kiv_y} - 1")
endif()
math(EXPR kiv_weekday "(${kiv_day} + (13 * (${kiv_m} + 1)) / 5 + ${kiv_y} \
  + ${kiv_y} / 4 - ${kiv_y} / 100 + ${kiv_y} / 400) % 7")
set(kiv_weekdays Sat Sun Mon Tue Wed Thu Fri)
list(GET kiv_weekdays ${kiv_weekday} kiv_weekday)
math(EXPR kiv_month_index "${kiv_month} - 1")
set(kiv_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET kiv_months ${kiv_month_index} kiv_month_name)
set(KIV_CHANGELOG_DATE
    "${kiv_weekday}, ${kiv_day} ${kiv_month_name} ${kiv_year} 00:00:00 +0000")
set(kiv_changelog "${PROJECT_BINARY_DIR}/debian/changelog")
file(WRITE "${kiv_changelog}"
"kiv (${PROJECT_VERSION}) unstable; urgency=medium

  * Kiv host toolchain ${PROJECT_VERSION}: kivg, kivs and kivinfo with their
    manual pages, the engine interface headers, the CMake package, the
    pkg-config file and editor support.

 -- ${CPACK_PACKAGE_CONTACT}  ${KIV_CHANGELOG_DATE}
")
kiv_compressed(kiv_changelog "${kiv_changelog}")
install(FILES "${kiv_changelog}" DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT debian EXCLUDE_FROM_ALL)
# The plain install (every component not left out of it), then the
# changelog.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")
include(CPack)
