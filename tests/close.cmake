# Closing the panel from every road, and one exception box per failed reread.
quenby_add_test(test_close test_close.cpp)
