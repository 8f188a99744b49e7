# Settings for cpack. "cpack -G DEB" in the build directory makes a Debian
# package of the plain install (the stand-ins stay out), installed under /usr.
set(CPACK_PACKAGE_NAME kiv)
set(CPACK_PACKAGE_VENDOR "Kiv toolchain developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Kiv host toolchain: spec generator, standalone runner, information utility, language server")
set(CPACK_PACKAGE_DESCRIPTION
    "kivg turns Kiv application specs into spec files and C code, kivs runs\
 compiled Kiv scripts and kivinfo translates result codes, program counters\
 and symbol numbers; kivls gives editors kivg's diagnostics as a language\
 server. Includes the engine interface headers, a CMake package\
 and a pkg-config file.")
if(NOT CPACK_PACKAGE_CONTACT)
  set(CPACK_PACKAGE_CONTACT "Kiv toolchain developers <kiv-toolchain@example.invalid>")
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# Depends is computed from the programs' shared libraries (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
