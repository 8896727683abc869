# The Windows test programs, one per source file <name>.cpp in this folder. Read by both trees:
# the Windows test tree builds them, the host tree registers each with ctest.
set(lumifold_windows_test_programs
  setup_dialog_test
  version_gate_test
  install_test
  partner_test
  startup_test
  dll_search_test
  footprint_test
  hostile_test
  identity_test
  uninstall_test)
# Those that install also run in a 64-bit prefix, where the installer runs under WOW64.
set(lumifold_wow64_test_programs
  install_test
  partner_test
  footprint_test
  uninstall_test)
