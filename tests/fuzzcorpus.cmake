# Each fuzz target replays its regression corpus (fuzz/corpus/NAME) as an ordinary test,
# so the sanitized build checks every input that ever troubled a parser.
function(vistara_fuzz_replay short room)
  add_executable(replay_${short} ${PROJECT_SOURCE_DIR}/fuzz/fuzz_${short}.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
  target_link_libraries(replay_${short} PRIVATE ${room})
  add_test(NAME fuzzcorpus_${short}
    COMMAND replay_${short} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${short})
  set_tests_properties(fuzzcorpus_${short} PROPERTIES TIMEOUT 600)
endfunction()

vistara_fuzz_replay(metafile vistara_pictures)
vistara_fuzz_replay(midi vistara_media)
