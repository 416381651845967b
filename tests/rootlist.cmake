quenby_add_test(test_rootlist test_rootlist.cpp)
quenby_add_test(test_open test_open.cpp)
