add_value_type_tests(${name} ${dir})
