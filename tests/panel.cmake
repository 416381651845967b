# How the panel presents itself, its keys and its events, driven through the exports by the host.
quenby_add_test(test_panel test_panel.cpp)
