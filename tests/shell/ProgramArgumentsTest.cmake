# Runs the built program as a user would from a terminal, by CTest as
# `cmake -DPROGRAM=<kinfold-search> -P ProgramArgumentsTest.cmake`: each case
# must end at once (no window) with its status and its exact output.
cmake_minimum_required(VERSION 3.25)

# name | argument | exit status | standard output | standard error
set(cases
  "version|--version|0|Kinfold Search 1.02\n|"
  "short version|-v|0|Kinfold Search 1.02\n|"
  "unknown option|--frobnicate|2||kinfold-search: Unknown option 'frobnicate'.\nTry 'kinfold-search --help' for more information.\n")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 argument)
  list(GET fields 2 status)
  list(GET fields 3 out)
  list(GET fields 4 err)
  execute_process(COMMAND "${PROGRAM}" "${argument}" RESULT_VARIABLE rc OUTPUT_VARIABLE got_out ERROR_VARIABLE got_err)
  if(NOT rc STREQUAL status OR NOT got_out STREQUAL out OR NOT got_err STREQUAL err)
    message(FATAL_ERROR "${name}: kinfold-search ${argument} gave status ${rc}, output '${got_out}', errors '${got_err}'"
                        "; expected ${status}, '${out}', '${err}'")
  endif()
endforeach()
message(STATUS "all arguments answered as expected")
