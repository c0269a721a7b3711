# The program the application tests copy and start under chosen names and
# folders. Its copies lie outside the build folder, so it also finds the
# libraries by the build folder's absolute path.
add_executable(brennic_app_child ${dir}/child/AppChild.cpp)
target_link_libraries(brennic_app_child PRIVATE Brennic)
target_link_options(brennic_app_child PRIVATE "-Wl,-rpath,${OUTPUT_DIR}")
add_dependencies(${name} brennic_app_child)
target_compile_definitions(${name} PRIVATE APP_CHILD="$<TARGET_FILE:brennic_app_child>")
