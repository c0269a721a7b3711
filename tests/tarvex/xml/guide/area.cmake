# The guide whose XML examples the test runs.
target_compile_definitions(${name} PRIVATE GUIDE_FILE="${CMAKE_SOURCE_DIR}/docs/model-language.md")
