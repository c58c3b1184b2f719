# The Windows package, Housing-<version>-win64.zip: the program and everything of its run
# folder that it reads (the hand-written data and the generated sample presentation).
# tools/package builds it.
install(TARGETS Housing RUNTIME DESTINATION .)
install(DIRECTORY ${HOUSING_RUN_DIR}/ DESTINATION .
  PATTERN Housing.exe EXCLUDE
  PATTERN .generated EXCLUDE
  # Each building's keyword block on its own is for the tests; the presentation has them inline.
  PATTERN *Block.txt EXCLUDE)

# Packing only gathers what is built: it must not start a build of its own (the package
# test packs while other tests run).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Housing)
set(HOUSING_PACKAGE_NAME Housing-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${HOUSING_PACKAGE_NAME})
include(CPack)
