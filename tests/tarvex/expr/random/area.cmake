# RndGenManager is a solver source: its tests run for both value types.
add_value_type_tests(${name} ${dir})
