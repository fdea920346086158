# Run by CTest, from the file hook_chain_add_case_tests generates: reads the
# case names from `${emulator} ${suite} --list` and writes to ${tests_file} one
# add_test for each, with ${prefix} before its name.
execute_process(COMMAND ${emulator} "${suite}" --list
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the cases of ${suite} (${status}): ${errors}")
endif()

# One line "<name>: test" per case, then a line with the counts.
string(REPLACE "\r" "" listing "${listing}")
string(REGEX MATCHALL "[^\n]+: test\n" lines "${listing}")

set(command "")
foreach(word IN LISTS emulator)
  string(APPEND command "[==[${word}]==] ")
endforeach()
string(APPEND command "[==[${suite}]==]")

set(tests "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE ": test\n$" "" name "${line}")
  string(APPEND tests "add_test([==[${prefix}${name}]==] ${command} --exact [==[${name}]==])\n")
endforeach()
file(WRITE "${tests_file}" "${tests}")
