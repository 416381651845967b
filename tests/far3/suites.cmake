# The FAR 3 test programs, one per suite: tests/far3/test_far3_<suite>.cpp. Read by this folder's
# CMake project (which builds them) and by the top-level build (which registers them with CTest
# as far3_x64_<suite> and far3_x86_<suite>).
set(QUENBY_FAR3_SUITES
  host
  startup
  open
  rootlist
  folderview
  keys
  config
  listfile
  barriers
  watcher
  watch)
