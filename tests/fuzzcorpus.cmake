# Each fuzz target replays its regression corpus (fuzz/corpus/NAME) as an ordinary test,
# so the sanitized build checks every input that ever troubled a parser.
file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/fuzz_*.cpp)
foreach(target ${FUZZ_TARGETS})
  get_filename_component(name ${target} NAME_WE)
  string(REPLACE "fuzz_" "" short ${name})
  add_executable(replay_${short} ${target} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
  target_link_libraries(replay_${short} PRIVATE vistara_core)
  add_test(NAME fuzzcorpus_${short}
    COMMAND replay_${short} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${short})
  set_tests_properties(fuzzcorpus_${short} PROPERTIES TIMEOUT 600)
endforeach()
