# Start-up when another library loads this one: a probe library that uses the
# process-wide objects from its own static initialiser, and a loader program
# that links neither library and opens the probe by path.
set(probe_dir ${dir}/probe)
add_library(brennic_startup_probe SHARED ${probe_dir}/StartupProbe.cpp)
target_link_libraries(brennic_startup_probe PRIVATE Brennic)
add_executable(brennic_startup_loader ${probe_dir}/StartupLoader.cpp)
target_link_libraries(brennic_startup_loader PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(${name} brennic_startup_probe brennic_startup_loader)
target_include_directories(${name} PRIVATE ${probe_dir})
target_compile_definitions(${name} PRIVATE
  STARTUP_PROBE="$<TARGET_FILE:brennic_startup_probe>"
  STARTUP_LOADER="$<TARGET_FILE:brennic_startup_loader>"
  BRENNIC_FILE_NAME="$<TARGET_FILE_NAME:Brennic>")
