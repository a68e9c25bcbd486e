# Runs the built program as a user would from a terminal, by CTest as
# `cmake -DPROGRAM=<kinfold-search> -P ProgramArgumentsTest.cmake`: each case
# must end at once (no window) with its status and its exact output.
cmake_minimum_required(VERSION 3.25)

# name | arguments (comma-separated) | exit status | standard output | standard error
# An output ending in "..." is a beginning; the rest must match exactly.
set(try_help "Try 'kinfold-search --help' for more information.\n")
set(cases
  "version|--version|0|Kinfold Search 1.02\n|"
  "version wins over a file|game.gb,-v|0|Kinfold Search 1.02\n|"
  "help|--help|0|Usage: ${PROGRAM} [options] [FILE]\nFind text and tables in ROM images by relative search.\n...|"
  "unknown option|--frobnicate|2||kinfold-search: Unknown option 'frobnicate'.\n${try_help}"
  "two files|a.gb,b.gb|2||kinfold-search: one file at most, not 2\n${try_help}")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 arguments)
  string(REPLACE "," ";" arguments "${arguments}")
  list(GET fields 2 status)
  list(GET fields 3 out)
  list(GET fields 4 err)
  execute_process(COMMAND "${PROGRAM}" ${arguments} RESULT_VARIABLE rc OUTPUT_VARIABLE got_out ERROR_VARIABLE got_err)
  if(out MATCHES "^(.*)\\.\\.\\.$")
    string(LENGTH "${CMAKE_MATCH_1}" length)
    set(out "${CMAKE_MATCH_1}")
    string(SUBSTRING "${got_out}" 0 ${length} got_out)
  endif()
  if(NOT rc STREQUAL status OR NOT got_out STREQUAL out OR NOT got_err STREQUAL err)
    message(FATAL_ERROR "${name}: kinfold-search ${arguments} gave status ${rc}, output '${got_out}', errors '${got_err}'"
                        "; expected ${status}, '${out}', '${err}'")
  endif()
endforeach()
message(STATUS "all arguments answered as expected")
