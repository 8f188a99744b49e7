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
# every run; kivg leaves a generated file untouched when its content did not
# change, so an edit that changes no generated code recompiles nothing.
#
# A generated file deleted since the last run must make kivg run again, and
# the generators need different rules for that. Ninja knows the three files
# as byproducts of the rule, checks that they exist and, with restat, keeps
# what depends on an untouched one. The Makefile generators never remake a
# byproduct, and listing the files as outputs of the rule would make them
# look out of date for ever once kivg left them untouched. There the files
# are the outputs of a second rule, in a second custom target built after
# the first, that has no prerequisites: make runs it exactly when one of the
# files is missing.

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
  # An engine written in C++ (the stand-in's) linked into a project without
  # C++ fails only at link time, with pages of the C++ runtime's undefined
  # references. Imported targets say which languages their users must link.
  get_target_property(engine_imported ${link} IMPORTED)
  if(engine_imported AND NOT "CXX" IN_LIST languages)
    get_target_property(configs ${link} IMPORTED_CONFIGURATIONS)
    set(language_properties IMPORTED_LINK_INTERFACE_LANGUAGES)
    foreach(config IN LISTS configs)
      list(APPEND language_properties
           IMPORTED_LINK_INTERFACE_LANGUAGES_${config})
    endforeach()
    foreach(property IN LISTS language_properties)
      get_target_property(link_languages ${link} ${property})
      if("CXX" IN_LIST link_languages)
        message(FATAL_ERROR
          "kiv_add_app_spec: the engine ${link} is written in C++, but C++ "
          "is not enabled in this project. Enable it, for example with "
          "project(<name> LANGUAGES C CXX) or enable_language(CXX).")
      endif()
    endforeach()
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
    # The progress line names the output directory: one spec generated into
    # two directories runs kivg once for each.
    file(RELATIVE_PATH shown_dir "${CMAKE_BINARY_DIR}" "${out}")
    if(shown_dir STREQUAL "")
      set(shown_dir ".")
    elseif(shown_dir MATCHES "^\\.\\./")
      set(shown_dir "${out}")
    endif()
    # Kept as a list for both rules below, so the list of outputs inside it
    # is joined with a semicolon that only the build's command line sees.
    list(JOIN outputs "$<SEMICOLON>" outputs_argument)
    set(run_kivg
      COMMAND "${CMAKE_COMMAND}" -E env "${search_setting}"
              "KIV_SPEC_DEPFILE=${depfile}"
              "$<TARGET_FILE:Kiv::kivg>" -q -s "${out}/" -c "${out}/" -- "${spec}"
      COMMAND "${CMAKE_COMMAND}" "-DDEPFILE=${depfile}" "-DOUTPUTS=${outputs_argument}"
              -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/KivAppSpecDepfile.cmake"
      WORKING_DIRECTORY "${spec_dir}"
      COMMENT "Generating Kiv app spec ${name} in ${shown_dir}"
      VERBATIM)
    string(MAKE_C_IDENTIFIER "kiv_app_spec_${name}" rule_target)
    set(candidate "${rule_target}")
    set(n 1)
    while(TARGET ${candidate} OR TARGET ${candidate}_run)
      math(EXPR n "${n} + 1")
      set(candidate "${rule_target}_${n}")
    endwhile()
    set(rule_target "${candidate}")
    if(CMAKE_GENERATOR MATCHES "Ninja")
      add_custom_command(
        OUTPUT "${depfile}"
        BYPRODUCTS ${outputs}
        ${run_kivg}
        DEPENDS "${spec}" Kiv::kivg
                "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/KivAppSpecDepfile.cmake"
        DEPFILE "${depfile}")
      add_custom_target(${rule_target} DEPENDS "${depfile}")
    else()
      add_custom_command(
        OUTPUT "${depfile}"
        ${run_kivg}
        DEPENDS "${spec}" Kiv::kivg
                "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/KivAppSpecDepfile.cmake"
        DEPFILE "${depfile}")
      add_custom_target(${rule_target}_run DEPENDS "${depfile}")
      add_custom_command(OUTPUT ${outputs} ${run_kivg})
      add_custom_target(${rule_target} DEPENDS ${outputs})
      add_dependencies(${rule_target} ${rule_target}_run)
    endif()
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
