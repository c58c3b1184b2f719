# A crashing and a hanging test program must fail fast and let the run go on. Runs a small
# test project the way the suite runs its programs (through the Wine wrapper, under CTest):
# the probe hanging, then crashing, then ending normally.
# Variables: CTEST, WINE_RUN, PROBE, WORK, CRASH_REPORT (what fails a test as a crash).

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(run "[[${WINE_RUN}]] [[${PROBE}]]")
file(WRITE "${WORK}/CTestTestfile.cmake"
  "add_test(probe_hang ${run} hang)\n"
  "set_tests_properties(probe_hang PROPERTIES TIMEOUT 5)\n"
  "add_test(probe_crash ${run} crash)\n"
  "set_tests_properties(probe_crash PROPERTIES TIMEOUT 60\n"
  "  FAIL_REGULAR_EXPRESSION [[${CRASH_REPORT}]])\n"
  "add_test(probe_after ${run})\n")

execute_process(COMMAND "${CTEST}" --test-dir "${WORK}" --output-on-failure
  OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 150 RESULT_VARIABLE result)

set(failures "")
if(NOT out MATCHES "probe_hang [.]+[*]+Timeout")
  string(APPEND failures "the hanging program was not ended by its timeout\n")
endif()
# A crash that waits for an answer runs into the timeout instead of failing.
if(NOT out MATCHES "probe_crash [.]+[*]+Failed")
  string(APPEND failures "the crashing program did not fail at once\n")
endif()
if(NOT out MATCHES "Unhandled exception: page fault" OR NOT out MATCHES "Backtrace:")
  string(APPEND failures "the crash left no backtrace in the program's output\n")
endif()
if(NOT out MATCHES "probe_after [.]+ +Passed")
  string(APPEND failures "the run did not go on after them\n")
endif()
if(failures)
  message(FATAL_ERROR "${failures}ctest (${result}):\n${out}")
endif()
