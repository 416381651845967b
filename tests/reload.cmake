# Thousands of loads and unloads of the DLL, each with an exception thrown and caught inside it:
# every TLS slot, handle and heap block a load takes must come back when it is unloaded.
quenby_add_test(test_reload test_reload.cpp)
