# kiv_add_app_spec: generates an application spec's C code with kivg at build
# time and compiles it into a target. Used by the toolchain's own build and,
# through find_package(Kiv), by applications that embed the engine.
#
#   kiv_add_app_spec(<target> <spec.kivs> [INCLUDE_DIRS dir...] [OUTPUT_DIR dir])
#
# For <spec>.kivs it writes <spec>.kivec, <spec>.h and <spec>.c into OUTPUT_DIR
# (default: the current binary directory; a relative OUTPUT_DIR is taken from
# there too), adds <spec>.c to <target> and OUTPUT_DIR to its include path, and
# appends the .kivec path to the target's KIV_SPEC_FILES property for the
# script compiler. kivg runs in the spec's directory with KIV_SPEC_INCLUDE set
# to INCLUDE_DIRS (relative ones taken from the current source directory) and
# unset without them, so that no setting of the shell leaks into the build. It
# runs again when the spec, a file it includes or imports, or kivg changes.

include_guard(GLOBAL)

# A dependency file with relative paths is read relative to the current binary
# directory under this policy (the Makefile generators always do so).
if(POLICY CMP0116)
  cmake_policy(SET CMP0116 NEW)
endif()

function(kiv_add_app_spec target spec)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "OUTPUT_DIR" "INCLUDE_DIRS")
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR
      "kiv_add_app_spec: unexpected arguments: ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "kiv_add_app_spec: '${target}' is not a target")
  endif()
  if(NOT TARGET Kiv::kivg)
    message(FATAL_ERROR
      "kiv_add_app_spec: the generator target Kiv::kivg is missing; "
      "call find_package(Kiv REQUIRED) first")
  endif()

  get_filename_component(spec "${spec}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(spec_dir "${spec}" DIRECTORY)
  get_filename_component(spec_file "${spec}" NAME)
  if(NOT spec_file MATCHES "^(.+)\\.kivs$")
    message(FATAL_ERROR "kiv_add_app_spec: '${spec}' does not end with .kivs")
  endif()
  set(name "${CMAKE_MATCH_1}")

  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  get_filename_component(out "${ARG_OUTPUT_DIR}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  # Generated files belong to the build tree; in the source tree they would
  # be mistaken for sources and survive a clean build.
  string(FIND "${out}/" "${CMAKE_SOURCE_DIR}/" in_source)
  string(FIND "${out}/" "${CMAKE_BINARY_DIR}/" in_build)
  if(in_source EQUAL 0 AND NOT in_build EQUAL 0)
    message(FATAL_ERROR
      "kiv_add_app_spec: OUTPUT_DIR '${out}' lies in the source tree")
  endif()
  file(MAKE_DIRECTORY "${out}")

  set(search_path "")
  foreach(dir IN LISTS ARG_INCLUDE_DIRS)
    get_filename_component(dir "${dir}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND search_path "${dir}")
  endforeach()
  if(search_path)
    # kivg splits the variable at ";", which would split the command's
    # argument too if written plainly.
    list(JOIN search_path "$<SEMICOLON>" joined)
    set(search_setting "KIV_SPEC_INCLUDE=${joined}")
  else()
    set(search_setting "--unset=KIV_SPEC_INCLUDE")
  endif()

  set(outputs "${out}/${name}.kivec" "${out}/${name}.h" "${out}/${name}.c")
  set(depfile "${out}/${name}.kivs.d")
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND "${CMAKE_COMMAND}" -E env "${search_setting}"
            "KIV_SPEC_DEPFILE=${depfile}"
            "$<TARGET_FILE:Kiv::kivg>" -q -s "${out}/" -c "${out}/" -- "${spec}"
    # kivg leaves an output whose content did not change untouched; make
    # would then run it on every build, so the outputs are marked fresh.
    COMMAND "${CMAKE_COMMAND}" -E touch_nocreate ${outputs}
    DEPENDS "${spec}" Kiv::kivg
    DEPFILE "${depfile}"
    WORKING_DIRECTORY "${spec_dir}"
    COMMENT "Generating Kiv app spec ${name}"
    VERBATIM)

  target_sources(${target} PRIVATE "${out}/${name}.c")
  target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${out}>")
  set_property(TARGET ${target} APPEND PROPERTY KIV_SPEC_FILES "${out}/${name}.kivec")
endfunction()
