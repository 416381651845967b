# Thousands of loads and unloads of the DLL, each with a failure shown in the exception box:
# every TLS slot, handle and heap block a load takes must come back when it is unloaded.
quenby_add_test(test_reload test_reload.cpp)
