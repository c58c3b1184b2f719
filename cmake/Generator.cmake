# The sample presentation's generated data: the generator is a host program (built with the
# build machine's own compiler, not the cross toolchain) that writes meshes, pictures and texts
# into the run folder. It runs again only when the generator itself has changed.
include(ExternalProject)

set(HOUSING_GEN_DIR ${CMAKE_BINARY_DIR}/host-gen)
set(HOUSING_GEN_EXE ${HOUSING_GEN_DIR}/housing_gen)
set(HOUSING_GEN_STAMP ${HOUSING_RUN_DIR}/.generated)

ExternalProject_Add(housing_gen_build
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/gen
  BINARY_DIR ${HOUSING_GEN_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${HOUSING_GEN_EXE}
  INSTALL_COMMAND "")

add_custom_command(
  OUTPUT ${HOUSING_GEN_STAMP}
  COMMAND ${HOUSING_GEN_EXE} ${HOUSING_RUN_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${HOUSING_GEN_STAMP}
  DEPENDS ${HOUSING_GEN_EXE}
  COMMENT "Generating the sample presentation into the run folder")
add_custom_target(sample_data ALL DEPENDS ${HOUSING_GEN_STAMP})
add_dependencies(sample_data housing_gen_build)
add_dependencies(Housing sample_data)
