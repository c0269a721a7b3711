add_value_type_tests(${name} ${dir})
# The stepping cost test counts KLU's allocations through SuiteSparse's hooks.
target_link_libraries(${name} PRIVATE ${SUITESPARSECONFIG_LIBRARY})
target_link_libraries(${name}_cmplx PRIVATE ${SUITESPARSECONFIG_LIBRARY})
