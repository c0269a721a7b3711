add_value_type_tests(${name} ${dir})
# The plot examples of the guide are checked here: the Python module, which
# runs the guide's other examples, cannot read plots.
target_compile_definitions(${name} PRIVATE GUIDE_PATH="${CMAKE_SOURCE_DIR}/docs/model-language.md")
