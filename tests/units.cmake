quenby_add_test(test_units test_units.cpp)
target_link_libraries(test_units PRIVATE quenby_units)
