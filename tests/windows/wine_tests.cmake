# The Windows test programs, run under Wine by ctest. They share one scratch Wine session (its
# own prefix, an Xvfb display, a persistent wineserver): a fixture creates it fresh for each
# ctest run and stops it at the end, and the programs run one at a time.
set(wine_session_script ${CMAKE_SOURCE_DIR}/scripts/wine-session.sh)
set(wine_tests_session ${CMAKE_BINARY_DIR}/wine-tests)

add_test(NAME wine_session_start COMMAND ${wine_session_script} start ${wine_tests_session})
set_tests_properties(wine_session_start PROPERTIES
  FIXTURES_SETUP wine_session LABELS wine TIMEOUT 120 RUN_SERIAL ON)
add_test(NAME wine_session_stop COMMAND ${wine_session_script} stop ${wine_tests_session})
set_tests_properties(wine_session_stop PROPERTIES
  FIXTURES_CLEANUP wine_session LABELS wine TIMEOUT 60 RUN_SERIAL ON)

include(${CMAKE_CURRENT_LIST_DIR}/test_programs.cmake)
foreach(program IN LISTS lumifold_windows_test_programs)
  # The programs turn the Unix path of SETUP.exe into a Windows one themselves.
  add_test(NAME ${program}
    COMMAND ${wine_session_script} run ${wine_tests_session} ${windows_tests_dir}/${program}.exe)
  set_tests_properties(${program} PROPERTIES
    FIXTURES_REQUIRED wine_session RUN_SERIAL ON LABELS wine TIMEOUT 300
    ENVIRONMENT "LUMIFOLD_SETUP_EXE=${SETUP_EXE};LUMIFOLD_VERSION=${LUMIFOLD_VERSION};LUMIFOLD_APPLICATION_EXE=${APPLICATION_EXE};LUMIFOLD_UNINSTALLER_EXE=${UNINSTALLER_EXE}")
endforeach()

add_test(NAME dll_search_trace
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_loader_trace.sh ${wine_session_script}
          ${wine_tests_session} ${windows_tests_dir}/dll_search_test.exe)
set_tests_properties(dll_search_trace PROPERTIES
  FIXTURES_REQUIRED wine_session RUN_SERIAL ON LABELS wine TIMEOUT 300
  ENVIRONMENT "LUMIFOLD_SETUP_EXE=${SETUP_EXE}")
