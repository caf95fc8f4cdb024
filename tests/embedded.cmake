# Vistara built inside an outer project (tests/embedded): configure it, then build the program.
# Only in the plain build: the sanitized one would compile everything a third time.
if(NOT VISTARA_SANITIZE)
  set(_outer ${PROJECT_BINARY_DIR}/embedded)
  add_test(NAME embedded_build COMMAND ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS sh -c
    "${CMAKE_COMMAND} -S ${CMAKE_CURRENT_SOURCE_DIR}/embedded -B ${_outer} -DVISTARA_DIR=${PROJECT_SOURCE_DIR} >/dev/null && ${CMAKE_COMMAND} --build ${_outer} --target vistara -j 2 >/dev/null && test -x ${_outer}/vistara/src/vistara")
  set_tests_properties(embedded_build PROPERTIES TIMEOUT 900)
endif()
