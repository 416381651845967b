# The FAR stand-in host, one file per unit: .lng rules, services, Control, the file panel, memory
# reads, loading and the registry helpers.
quenby_add_test(test_host
  test_host_lng.cpp
  test_host_services.cpp
  test_host_control.cpp
  test_host_panel.cpp
  test_host_records.cpp
  test_host_module.cpp
  test_host_registry.cpp)
