# The Windows package as a user gets it: packs it, unpacks it into a fresh folder, checks
# that it holds the program and none of the build's own files, and has the smoke test start
# the program from there.
# Variables: CPACK, CONFIG (the build's CPackConfig.cmake), NAME (the package's name),
# WINE_RUN, SMOKE (the smoke test program), WORK.

cmake_minimum_required(VERSION 3.25)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(result)
    message(FATAL_ERROR "${what} failed (${result}):\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK}")
run("Packing" "${CPACK}" --config "${CONFIG}" -B "${WORK}")
set(zip "${WORK}/${NAME}.zip")
if(NOT EXISTS "${zip}")
  message(FATAL_ERROR "no ${NAME}.zip")
endif()
file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${WORK}/unpacked")
set(dir "${WORK}/unpacked/${NAME}")

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${dir}" "${dir}/*")
set(unwanted ${files})
list(FILTER unwanted INCLUDE REGEX "(^|/)(\\.generated|.*Block\\.txt|CMake.*|.*\\.(a|obj|cmake|log))$|\\.exe$")
list(REMOVE_ITEM unwanted Housing.exe)
if(NOT "Housing.exe" IN_LIST files OR unwanted)
  message(FATAL_ERROR "the package must hold Housing.exe and no build or test files:\n${files}")
endif()

run("Starting the unpacked program" "${CMAKE_COMMAND}" -E env "HOUSING_PROGRAM_DIR=Z:${dir}"
    "${WINE_RUN}" "${SMOKE}")
