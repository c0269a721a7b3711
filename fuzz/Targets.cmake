# The fuzz targets and what each is built from, shared by the libFuzzer
# programs of the fuzz flavour and the replay tests of the normal flavours.
# fuzz/<target>.cpp holds the entry; fuzz/<target>/corpus its seeds and
# fuzz/<target>/regressions the inputs of findings that were fixed.
set(FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(FUZZ_TARGETS model modelobject plots xml xmlmodel numbers sparse)
# Seeds that live elsewhere in the repository: the model texts serve every
# model target.
set(FUZZ_MORE_SEEDS_model ${CMAKE_SOURCE_DIR}/examples/models)
set(FUZZ_MORE_SEEDS_modelobject ${CMAKE_SOURCE_DIR}/examples/models ${FUZZ_DIR}/model/corpus)
set(FUZZ_MORE_SEEDS_plots ${FUZZ_DIR}/model/corpus)

# Adds the entry of target to program, with what the entry links.
function(add_fuzz_entry program target)
  target_sources(${program} PRIVATE ${FUZZ_DIR}/${target}.cpp)
  target_include_directories(${program} PRIVATE ${FUZZ_DIR}/support)
  if(target STREQUAL "model" OR target STREQUAL "plots")
    # The loader helpers of the tests serve the model targets too.
    target_include_directories(${program} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    # The model is compiled by the real and by the complex solver: the
    # helper is built once for each value type, as the solver sources are.
    set(helperSource ${FUZZ_DIR}/support/SolveModel.cpp)
    if(target STREQUAL "plots")
      set(helperSource ${FUZZ_DIR}/support/PlotAndSolve.cpp)
    endif()
    foreach(complex IN ITEMS 0 1)
      set(helper ${program}_solve${complex})
      add_library(${helper} OBJECT ${helperSource})
      target_compile_definitions(${helper} PRIVATE SL_COMPLEX=${complex})
      target_include_directories(${helper} PRIVATE ${FUZZ_DIR}/support ${CMAKE_SOURCE_DIR}/tests/support
                                 $<TARGET_PROPERTY:MatrixLayer,INTERFACE_INCLUDE_DIRECTORIES>)
      target_link_libraries(${helper} PRIVATE Tarvex)
      target_sources(${program} PRIVATE $<TARGET_OBJECTS:${helper}>)
    endforeach()
    target_link_libraries(${program} PRIVATE Tarvex)
  elseif(target STREQUAL "modelobject")
    target_include_directories(${program} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    target_link_libraries(${program} PRIVATE Moltrin Tarvex)
  elseif(target STREQUAL "xmlmodel")
    target_link_libraries(${program} PRIVATE Tarvex)
  elseif(target STREQUAL "sparse")
    target_link_libraries(${program} PRIVATE MatrixLayer)
  else()
    target_link_libraries(${program} PRIVATE Brennic)
  endif()
endfunction()
