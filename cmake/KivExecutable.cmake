# The Suite finds the kiv tool by an absolute path compiled into it. The path is
# also written unescaped into a JSON file, so it must hold no double quote and
# no control character.

# `path` (a path of the build machine) as the target sees it. A Windows program
# cross-built on Linux runs under Wine, whose drive Z: is the Linux root; a
# Linux path would work there too, but on no real Windows machine.
function(hook_chain_target_path out_var path)
  if(WIN32 AND CMAKE_HOST_UNIX)
    string(REPLACE "/" "\\" native "Z:${path}")
  elseif(WIN32)
    file(TO_NATIVE_PATH "${path}" native)
  else()
    set(native "${path}")
  endif()
  set(${out_var} "${native}" PARENT_SCOPE)
endfunction()

function(hook_chain_check_tool_path path)
  if(WIN32)
    # A drive letter, or a UNC path (\\server\share\...).
    if(NOT path MATCHES "^([A-Za-z]:[/\\]|[/\\][/\\][^/\\])")
      message(FATAL_ERROR "KIV_EXECUTABLE must be an absolute Windows path (C:\\... or \\\\server\\...), got '${path}'")
    endif()
  elseif(NOT IS_ABSOLUTE "${path}")
    message(FATAL_ERROR "KIV_EXECUTABLE must be an absolute path, got '${path}'")
  endif()
  string(FIND "${path}" "\"" quote)
  if(NOT quote EQUAL -1)
    message(FATAL_ERROR "KIV_EXECUTABLE must not contain a double quote, got '${path}'")
  endif()
  foreach(code RANGE 1 31)
    string(ASCII ${code} control)
    string(FIND "${path}" "${control}" found)
    if(NOT found EQUAL -1)
      message(FATAL_ERROR "KIV_EXECUTABLE must not contain control character ${code}")
    endif()
  endforeach()
  string(ASCII 127 delete)
  string(FIND "${path}" "${delete}" found)
  if(NOT found EQUAL -1)
    message(FATAL_ERROR "KIV_EXECUTABLE must not contain control character 127")
  endif()
endfunction()

# Writes a source file that defines driver::kiv_executable() as `path`, and
# stores its name in `out_var`. Each executable that runs the tool compiles one.
function(hook_chain_tool_path_source out_var name path)
  hook_chain_check_tool_path("${path}")
  set(HOOK_CHAIN_TOOL_PATH "${path}")
  set(source "${PROJECT_BINARY_DIR}/generated/tool_path_${name}.cpp")
  configure_file("${PROJECT_SOURCE_DIR}/driver/tool_path.cpp.in" "${source}" @ONLY)
  set(${out_var} "${source}" PARENT_SCOPE)
endfunction()

# A tool path of the target's form for tests that only write it into settings
# and never start it.
if(WIN32)
  set(HOOK_CHAIN_UNUSED_TOOL_PATH "C:\\opt\\kiv\\bin\\kiv.exe")
else()
  set(HOOK_CHAIN_UNUSED_TOOL_PATH "/opt/kiv/bin/kiv")
endif()

# The path of an executable this build makes, as the target sees it.
function(hook_chain_built_program out_var name)
  hook_chain_target_path(path "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}${CMAKE_EXECUTABLE_SUFFIX}")
  set(${out_var} "${path}" PARENT_SCOPE)
endfunction()

# Defines `name` for `target` as a string literal holding the target's path of
# the executable `program` that this build makes.
function(hook_chain_program_define target name program)
  hook_chain_built_program(path ${program})
  string(REPLACE "\\" "\\\\" escaped "${path}")
  target_compile_definitions(${target} PRIVATE ${name}="${escaped}")
endfunction()
