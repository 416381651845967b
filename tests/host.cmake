# The FAR stand-in host: .lng rules, services, memory checks, loading and registry helpers.
quenby_add_test(test_host test_host.cpp)
