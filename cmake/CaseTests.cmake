# Each case of a Suite executable is also a CTest test of its own, named
# <target>.<case> and run as `<target> --exact <case>`. The names come from the
# executable's own `--list`, read when CTest loads the tests (again whenever the
# executable is newer than the last reading), so a case is registered by
# existing. Cross builds run the executable under its emulator.
set(HOOK_CHAIN_CASE_TESTS_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/CaseTestsFromList.cmake")

function(hook_chain_add_case_tests target)
  set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_cases_include.cmake")
  set(tests_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_cases_tests.cmake")
  file(GENERATE OUTPUT "${include_file}" CONTENT
"set(suite [==[$<TARGET_FILE:${target}>]==])
set(tests_file [==[${tests_file}]==])
if(NOT EXISTS \"\${suite}\")
  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)
  return()
endif()
if(NOT EXISTS \"\${tests_file}\" OR \"\${suite}\" IS_NEWER_THAN \"\${tests_file}\"
   OR \"\${CMAKE_CURRENT_LIST_FILE}\" IS_NEWER_THAN \"\${tests_file}\")
  set(emulator [==[$<TARGET_PROPERTY:${target},CROSSCOMPILING_EMULATOR>]==])
  set(prefix [==[${target}.]==])
  include([==[${HOOK_CHAIN_CASE_TESTS_SCRIPT}]==])
endif()
include(\"\${tests_file}\")
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()
