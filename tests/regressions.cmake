# Regression tests for the faults the soak found.
quenby_add_test(test_regressions test_regressions.cpp)
