# The Suite finds the kiv tool by an absolute path compiled into it. The path is
# also written unescaped into a JSON file, so it must hold no double quote and
# no control character.

function(hook_chain_check_tool_path path)
  if(NOT IS_ABSOLUTE "${path}")
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
