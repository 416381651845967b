# The folder view and navigation between the panel's levels, through the exports on real folders.
quenby_add_test(test_folderview test_folderview.cpp)
