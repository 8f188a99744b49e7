# kiv_add_app_spec: generates an application spec's C code with kivg at build
# time and compiles it into a target. Used by the toolchain's own build and,
# through find_package(Kiv), by applications that embed the engine.
#
#   kiv_add_app_spec(<target> <spec.kivs> [INCLUDE_DIRS dir...]
#                    [OUTPUT_DIR dir] [ENGINE engine-target] [OUT_VAR var])
#
# For <spec>.kivs it writes <spec>.kivec, <spec>.h and <spec>.c into OUTPUT_DIR
# (default: the current binary directory; a relative OUTPUT_DIR is taken from
# there too), adds <spec>.c to <target>, OUTPUT_DIR to its include path and
# links it with ENGINE, or with Kiv::interface (the headers the generated code
# includes) when no engine is named. It appends the .kivec path to the
# target's KIV_SPEC_FILES property for the script compiler and, with OUT_VAR,
# sets <var> to the paths of the .kivec, .h and .c files.
#
# kivg runs in the spec's directory with KIV_SPEC_INCLUDE set to INCLUDE_DIRS
# (relative ones taken from the current source directory) and unset without
# them, so that no setting of the shell leaks into the build. It runs again
# when the spec, a file it includes or imports, or kivg changes.
#
# One rule per set of outputs: each spec gets a custom target that runs kivg,
# and every target compiling that spec's C code depends on it, so parallel
# builds never run kivg twice for the same files, whichever directory the
# targets live in. The rule's own output is the dependency file, renewed on
# every run; the three generated files are byproducts that kivg leaves
# untouched when their content did not change, so an edit that changes no
# generated code recompiles nothing.

include_guard(GLOBAL)
# Policies of the function below, whatever the calling project's minimum
# version: CMP0116 reads a relative dependency file path from the current
# binary directory, as the Makefile generators always do.
cmake_policy(VERSION 3.20)

function(kiv_add_app_spec target spec)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "OUTPUT_DIR;ENGINE;OUT_VAR"
                        "INCLUDE_DIRS")
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR
      "kiv_add_app_spec: unexpected arguments: ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "kiv_add_app_spec: '${target}' is not a target")
  endif()
  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target "${aliased}")
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(imported ${target} IMPORTED)
  if(imported OR NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
    message(FATAL_ERROR
      "kiv_add_app_spec: '${target}' does not compile sources of its own; "
      "name an executable or a library built by this project")
  endif()
  if(NOT TARGET Kiv::kivg)
    message(FATAL_ERROR
      "kiv_add_app_spec: the generator target Kiv::kivg is missing; "
      "call find_package(Kiv REQUIRED) first")
  endif()
  # Without C the generated source would be left out of the target
  # silently, and linking would fail on the missing KivAppSpec_ record.
  get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
  if(NOT "C" IN_LIST languages)
    message(FATAL_ERROR
      "kiv_add_app_spec: kivg generates C code, but C is not enabled in "
      "this project. Enable it, for example with "
      "project(<name> LANGUAGES C CXX) or enable_language(C).")
  endif()
  if(ARG_ENGINE)
    set(link "${ARG_ENGINE}")
  else()
    set(link Kiv::interface)
  endif()
  if(NOT TARGET ${link})
    message(FATAL_ERROR "kiv_add_app_spec: '${link}' is not a target")
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

  set(search_path "")
  foreach(dir IN LISTS ARG_INCLUDE_DIRS)
    get_filename_component(dir "${dir}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND search_path "${dir}")
  endforeach()

  set(outputs "${out}/${name}.kivec" "${out}/${name}.h" "${out}/${name}.c")
  set(depfile "${out}/${name}.kivs.d")

  # The rule is made once per set of outputs; later calls only attach
  # another target to it, and must ask for the same files.
  set(rule_key "KIV_APP_SPEC_RULE ${out}/${name}")
  set(options "${spec} INCLUDE_DIRS ${search_path}")
  get_property(rule_target GLOBAL PROPERTY "${rule_key}")
  if(rule_target)
    get_property(rule_options GLOBAL PROPERTY "${rule_key} options")
    if(NOT rule_options STREQUAL options)
      message(FATAL_ERROR
        "kiv_add_app_spec: ${out}/${name}.c is already generated by an "
        "earlier call with\n  ${rule_options}\nand this call asks for\n"
        "  ${options}\nGive both the same spec and INCLUDE_DIRS, or this "
        "one another OUTPUT_DIR.")
    endif()
  else()
    file(MAKE_DIRECTORY "${out}")
    if(search_path)
      # kivg splits the variable at ";", which would split the command's
      # argument too if written plainly.
      list(JOIN search_path "$<SEMICOLON>" joined)
      set(search_setting "KIV_SPEC_INCLUDE=${joined}")
    else()
      set(search_setting "--unset=KIV_SPEC_INCLUDE")
    endif()
    add_custom_command(
      OUTPUT "${depfile}"
      BYPRODUCTS ${outputs}
      COMMAND "${CMAKE_COMMAND}" -E env "${search_setting}"
              "KIV_SPEC_DEPFILE=${depfile}"
              "$<TARGET_FILE:Kiv::kivg>" -q -s "${out}/" -c "${out}/" -- "${spec}"
      COMMAND "${CMAKE_COMMAND}" "-DDEPFILE=${depfile}" "-DOUTPUTS=${outputs}"
              -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/KivAppSpecDepfile.cmake"
      DEPENDS "${spec}" Kiv::kivg
              "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/KivAppSpecDepfile.cmake"
      DEPFILE "${depfile}"
      WORKING_DIRECTORY "${spec_dir}"
      COMMENT "Generating Kiv app spec ${name}"
      VERBATIM)
    string(MAKE_C_IDENTIFIER "kiv_app_spec_${name}" rule_target)
    set(candidate "${rule_target}")
    set(n 1)
    while(TARGET ${candidate})
      math(EXPR n "${n} + 1")
      set(candidate "${rule_target}_${n}")
    endwhile()
    set(rule_target "${candidate}")
    add_custom_target(${rule_target} DEPENDS "${depfile}")
    set_property(GLOBAL PROPERTY "${rule_key}" "${rule_target}")
    set_property(GLOBAL PROPERTY "${rule_key} options" "${options}")
  endif()

  add_dependencies(${target} ${rule_target})
  # The target may live in another directory than the rule; tell its
  # directory that the files are made by the build.
  set_source_files_properties(${outputs} TARGET_DIRECTORY ${target}
                              PROPERTIES GENERATED TRUE)
  target_sources(${target} PRIVATE "${out}/${name}.c")
  target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${out}>")
  # Set as properties rather than with target_link_libraries, which would
  # tie the caller's own calls for this target to one signature.
  set_property(TARGET ${target} APPEND PROPERTY LINK_LIBRARIES "${link}")
  set_property(TARGET ${target} APPEND PROPERTY INTERFACE_LINK_LIBRARIES "${link}")
  set_property(TARGET ${target} APPEND PROPERTY KIV_SPEC_FILES "${out}/${name}.kivec")
  if(ARG_OUT_VAR)
    set(${ARG_OUT_VAR} ${outputs} PARENT_SCOPE)
  endif()
endfunction()
