# The four deliverables and the linear-algebra layer. Sources are picked up
# by folder, so adding a file to a folder adds it to its library.

find_package(ZLIB REQUIRED)
find_library(UUID_LIBRARY uuid REQUIRED)
find_path(KLU_INCLUDE_DIR klu.h PATH_SUFFIXES suitesparse REQUIRED)
find_library(KLU_LIBRARY klu REQUIRED)
find_library(CHOLMOD_LIBRARY cholmod REQUIRED)
find_library(AMD_LIBRARY amd REQUIRED)
find_library(COLAMD_LIBRARY colamd REQUIRED)
find_library(BTF_LIBRARY btf REQUIRED)
find_library(SUITESPARSECONFIG_LIBRARY suitesparseconfig REQUIRED)

# The libraries' optimised builds run at -O3: 5 % off the load and compile of
# a large model. Results stay the same: -O3 does not reorder floating-point
# arithmetic. The tests stay at the build type's level, since g++ 12 raises
# false -Wrestrict warnings in libstdc++'s string code inlined into them.
function(optimise_fully target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-O3>)
endfunction()

# Brennic: the utility library.
file(GLOB BRENNIC_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/utils/src/*.cpp ${CMAKE_SOURCE_DIR}/utils/src/lin/*.cpp)
add_library(Brennic SHARED ${BRENNIC_SOURCES})
optimise_fully(Brennic)
target_include_directories(Brennic PUBLIC ${COMMON_INCLUDE})
target_link_libraries(Brennic PRIVATE ZLIB::ZLIB ${UUID_LIBRARY})

# The linear-algebra layer: static, position independent, linked into Tarvex
# (KLU for the LU, CHOLMOD for the Cholesky of symmetric systems).
file(GLOB MATRIX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/matrix/src/*.cpp)
if(MATRIX_SOURCES)
  add_library(MatrixLayer STATIC ${MATRIX_SOURCES})
  optimise_fully(MatrixLayer)
  target_include_directories(MatrixLayer PUBLIC ${CMAKE_SOURCE_DIR}/matrix/include ${COMMON_INCLUDE}
                             ${KLU_INCLUDE_DIR})
  target_link_libraries(MatrixLayer PUBLIC ${KLU_LIBRARY} ${CHOLMOD_LIBRARY} ${AMD_LIBRARY} ${COLAMD_LIBRARY}
                        ${BTF_LIBRARY} ${SUITESPARSECONFIG_LIBRARY})
endif()

# The solver sources are written once and compiled twice: for real values
# (namespace slDbl) and for complex values (namespace slCmplx). They stand in
# one folder per stage (expr, compile, xml, solvers, plots) and are included with the
# stage's prefix. What serves both value types (random generators,
# statistics) lives in solver/core/src/math and is compiled once.
set(SOLVER_CORE_DIR ${CMAKE_SOURCE_DIR}/solver/core/src)
set(SOLVER_STAGES expr compile xml solvers plots)
list(TRANSFORM SOLVER_STAGES APPEND /*.cpp OUTPUT_VARIABLE stage_patterns)
list(TRANSFORM stage_patterns PREPEND ${SOLVER_CORE_DIR}/)
file(GLOB SOLVER_CORE_SOURCES CONFIGURE_DEPENDS ${stage_patterns})
set(SOLVER_CORE_OBJECTS)
foreach(valueType IN ITEMS Dbl Cmplx)
  if(SOLVER_CORE_SOURCES)
    add_library(TarvexCore${valueType} OBJECT ${SOLVER_CORE_SOURCES})
    optimise_fully(TarvexCore${valueType})
    target_include_directories(TarvexCore${valueType} PUBLIC ${COMMON_INCLUDE} ${SOLVER_CORE_DIR})
    target_compile_definitions(TarvexCore${valueType} PUBLIC SL_COMPLEX=$<STREQUAL:${valueType},Cmplx>)
    target_link_libraries(TarvexCore${valueType} PRIVATE MatrixLayer)
    list(APPEND SOLVER_CORE_OBJECTS $<TARGET_OBJECTS:TarvexCore${valueType}>)
  endif()
endforeach()

# Tarvex: containers, model front end, expression engine and solvers.
file(GLOB TARVEX_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/solver/front/src/*.cpp ${SOLVER_CORE_DIR}/math/*.cpp)
add_library(Tarvex SHARED ${TARVEX_SOURCES} ${SOLVER_CORE_OBJECTS})
optimise_fully(Tarvex)
# The solver headers are shared by both builds; a user of them chooses the
# value type with SL_COMPLEX (the tests compile some programs twice).
target_include_directories(Tarvex PUBLIC ${COMMON_INCLUDE} ${SOLVER_CORE_DIR})
# The worker pool of large evaluation passes runs threads.
find_package(Threads REQUIRED)
target_link_libraries(Tarvex PUBLIC Brennic PRIVATE MatrixLayer Threads::Threads)

# Moltrin: the model objects and the console logger.
file(GLOB MOLTRIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/model/src/*.cpp)
add_library(Moltrin SHARED ${MOLTRIN_SOURCES})
optimise_fully(Moltrin)
target_include_directories(Moltrin PUBLIC ${COMMON_INCLUDE})
target_link_libraries(Moltrin PUBLIC Brennic PRIVATE Tarvex)

# Quenda: the Python module. The fuzz flavour builds no Python module.
if(NOT ENABLE_FUZZING)
  add_subdirectory(python)
endif()
