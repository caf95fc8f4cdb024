# The real binary on a virtual display (xvfb-run), found by its title and ended by "&Saida".
add_test(NAME smoke COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/smoke.sh $<TARGET_FILE:vistara>
         ${PROJECT_BINARY_DIR}/screenshot.png)
set_tests_properties(smoke PROPERTIES TIMEOUT 120)
