# The four deliverables and the linear-algebra layer. Sources are picked up
# by folder, so adding a file to a folder adds it to its library.

find_package(ZLIB REQUIRED)
find_library(UUID_LIBRARY uuid REQUIRED)
find_path(KLU_INCLUDE_DIR klu.h PATH_SUFFIXES suitesparse REQUIRED)
find_library(KLU_LIBRARY klu REQUIRED)
find_library(AMD_LIBRARY amd REQUIRED)
find_library(COLAMD_LIBRARY colamd REQUIRED)
find_library(BTF_LIBRARY btf REQUIRED)
find_library(SUITESPARSECONFIG_LIBRARY suitesparseconfig REQUIRED)

# Brennic: the utility library.
file(GLOB BRENNIC_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/utils/src/*.cpp ${CMAKE_SOURCE_DIR}/utils/src/lin/*.cpp)
add_library(Brennic SHARED ${BRENNIC_SOURCES})
target_include_directories(Brennic PUBLIC ${COMMON_INCLUDE})
target_link_libraries(Brennic PRIVATE ZLIB::ZLIB ${UUID_LIBRARY})

# The linear-algebra layer: static, position independent, linked into Tarvex.
file(GLOB MATRIX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/matrix/src/*.cpp)
if(MATRIX_SOURCES)
  add_library(MatrixLayer STATIC ${MATRIX_SOURCES})
  target_include_directories(MatrixLayer PUBLIC ${CMAKE_SOURCE_DIR}/matrix/include ${COMMON_INCLUDE}
                             ${KLU_INCLUDE_DIR})
  target_link_libraries(MatrixLayer PUBLIC ${KLU_LIBRARY} ${AMD_LIBRARY} ${COLAMD_LIBRARY}
                        ${BTF_LIBRARY} ${SUITESPARSECONFIG_LIBRARY})
endif()

# Tarvex: containers, model front end, expression engine and solvers.
file(GLOB TARVEX_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/solver/front/src/*.cpp ${CMAKE_SOURCE_DIR}/solver/core/src/*.cpp)
if(TARVEX_SOURCES)
  add_library(Tarvex SHARED ${TARVEX_SOURCES})
  target_include_directories(Tarvex PUBLIC ${COMMON_INCLUDE})
  target_link_libraries(Tarvex PUBLIC Brennic)
  if(TARGET MatrixLayer)
    target_link_libraries(Tarvex PRIVATE MatrixLayer)
  endif()
endif()
