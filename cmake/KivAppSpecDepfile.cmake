# Run by kiv_add_app_spec after each kivg run, as
#   cmake -DDEPFILE=<file> -DOUTPUTS=<kivec;h;c> -P KivAppSpecDepfile.cmake
# kivg names its three outputs as the targets of the dependency file; this
# makes the file name itself instead. The build then tracks one file that
# every run renews, while kivg leaves an output untouched when its content
# did not change, which an output's time stamp alone cannot tell apart from
# a run that never happened.

# Escapes a path as kivg writes it into a dependency file.
function(kiv_escape_make_path out path)
  string(REPLACE "$" "$$" path "${path}")
  string(REPLACE "#" "\\#" path "${path}")
  string(REPLACE ":" "\\:" path "${path}")
  string(REGEX REPLACE "(\\\\*)([ \t])" "\\1\\1\\\\\\2" path "${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

set(targets "")
foreach(output IN LISTS OUTPUTS)
  kiv_escape_make_path(escaped "${output}")
  string(APPEND targets " ${escaped}")
endforeach()
string(SUBSTRING "${targets}:" 1 -1 targets)

file(READ "${DEPFILE}" text)
string(LENGTH "${targets}" length)
string(SUBSTRING "${text}" 0 ${length} head)
if(NOT head STREQUAL targets)
  message(FATAL_ERROR "${DEPFILE} does not start with the targets ${targets}")
endif()
string(SUBSTRING "${text}" ${length} -1 rest)
kiv_escape_make_path(self "${DEPFILE}")
file(WRITE "${DEPFILE}" "${self}:${rest}")
