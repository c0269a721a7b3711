# The normal flavours replay every seed and every regression input of each
# fuzz target through the target's entry, without libFuzzer.
include(${CMAKE_SOURCE_DIR}/fuzz/Targets.cmake)
foreach(target IN LISTS FUZZ_TARGETS)
  set(program fuzz_${target}_replay)
  add_executable(${program} ${FUZZ_DIR}/Replay.cpp)
  add_fuzz_entry(${program} ${target})
  add_test(NAME ${program} COMMAND ${program} ${FUZZ_DIR}/${target}/corpus ${FUZZ_MORE_SEEDS_${target}}
                                    ${FUZZ_DIR}/${target}/regressions)
  set_tests_properties(${program} PROPERTIES TIMEOUT 300)
endforeach()
