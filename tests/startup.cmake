quenby_add_test(test_startup test_startup.cpp)
