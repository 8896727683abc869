# The Windows test programs, run under Wine by ctest. They share one scratch Wine session (its
# own prefix, an Xvfb display, a persistent wineserver): a fixture creates it fresh for each
# ctest run and stops it at the end, and the programs run one at a time. The session is 32-bit;
# the programs that install run once more in a 64-bit session (tests named *_wow64), where the
# installer runs under WOW64 as on today's 64-bit Windows. A third, 32-bit session's user is
# "Łukasz", whose "Ł" the ANSI code page 1252 lacks: there the life cycle runs once more, and
# the partner test of a name outside the code page.
# With LUMIFOLD_ARCH=x86_64 the programs are 64-bit and every session is a 64-bit prefix; what
# only a 32-bit image can show is then reported as skipped, by name (add_skipped_test).
set(wine_session_script ${CMAKE_SOURCE_DIR}/scripts/wine-session.sh)
set(wine_tests_session ${CMAKE_BINARY_DIR}/wine-tests)
set(wine64_tests_session ${CMAKE_BINARY_DIR}/wine64-tests)
set(wine_user_tests_session ${CMAKE_BINARY_DIR}/wine-user-tests)
# Wine names the prefix's user after $USER, read as UTF-8.
set(session_arch win32)
if(LUMIFOLD_ARCH STREQUAL x86_64)
  set(session_arch win64)
endif()
set(user_name_environment "LUMIFOLD_WINEARCH=${session_arch};USER=Łukasz;LC_ALL=C.UTF-8")
# How many times longer every limit and wait of the Windows tests is: 1 here, more where the
# programs run far slower (the 32-bit lane's emulated guest, scripts/guest-lane.sh). The test
# programs read it from their environment.
set(LUMIFOLD_TIME_SCALE 1 CACHE STRING "How many times longer the Windows tests' limits and waits are")
if(NOT LUMIFOLD_TIME_SCALE MATCHES "^[1-9][0-9]?$")
  message(FATAL_ERROR "LUMIFOLD_TIME_SCALE must be a whole number from 1 to 99, not \"${LUMIFOLD_TIME_SCALE}\"")
endif()
math(EXPR session_start_timeout "120 * ${LUMIFOLD_TIME_SCALE}")
math(EXPR session_stop_timeout "60 * ${LUMIFOLD_TIME_SCALE}")
math(EXPR wine_test_timeout "300 * ${LUMIFOLD_TIME_SCALE}")
set(time_environment "LUMIFOLD_TIME_SCALE=${LUMIFOLD_TIME_SCALE}")
set(payload_environment
  "${time_environment};LUMIFOLD_SETUP_EXE=${SETUP_EXE};LUMIFOLD_VERSION=${LUMIFOLD_VERSION};LUMIFOLD_APPLICATION_EXE=${APPLICATION_EXE};LUMIFOLD_UNINSTALLER_EXE=${UNINSTALLER_EXE}")
# The build's own uninstaller, whose identity the tests check; none when another is packed.
if(NOT LUMIFOLD_UNINSTALLER)
  string(APPEND payload_environment ";LUMIFOLD_OWN_UNINSTALLER_EXE=${UNINSTALLER_EXE}")
endif()

# add_wine_session(FIXTURE DIR ENVIRONMENT): the fixture that starts and stops a session made
# with that environment (LUMIFOLD_WINEARCH=win32 or win64, and the user's name).
function(add_wine_session fixture dir environment)
  add_test(NAME ${fixture}_start COMMAND ${wine_session_script} start ${dir})
  add_test(NAME ${fixture}_stop COMMAND ${wine_session_script} stop ${dir})
  set_tests_properties(${fixture}_start PROPERTIES FIXTURES_SETUP ${fixture}
    TIMEOUT ${session_start_timeout})
  set_tests_properties(${fixture}_stop PROPERTIES FIXTURES_CLEANUP ${fixture}
    TIMEOUT ${session_stop_timeout})
  set_tests_properties(${fixture}_start ${fixture}_stop PROPERTIES
    LABELS wine RUN_SERIAL ON ENVIRONMENT "${environment}")
endfunction()
# add_skipped_test(NAME REASON): a test that ctest lists as skipped; the reasons are in
# skipped-tests.txt, which scripts/test.sh prints (ctest shows no skipped test's output).
file(WRITE ${CMAKE_BINARY_DIR}/skipped-tests.txt "")
function(add_skipped_test name reason)
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "skipped: ${name}: ${reason}")
  set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "skipped: " LABELS wine)
  file(APPEND ${CMAKE_BINARY_DIR}/skipped-tests.txt "skipped: ${name}: ${reason}\n")
endfunction()

add_wine_session(wine_session ${wine_tests_session} LUMIFOLD_WINEARCH=${session_arch})
if(session_arch STREQUAL win32)
  add_wine_session(wine64_session ${wine64_tests_session} LUMIFOLD_WINEARCH=win64)
endif()
add_wine_session(wine_user_session ${wine_user_tests_session} "${user_name_environment}")

include(${CMAKE_CURRENT_LIST_DIR}/test_programs.cmake)
# The programs turn the Unix path of SETUP.exe into a Windows one themselves.
foreach(program IN LISTS lumifold_windows_test_programs)
  add_test(NAME ${program}
    COMMAND ${wine_session_script} run ${wine_tests_session} ${windows_tests_dir}/${program}.exe)
  set_tests_properties(${program} PROPERTIES
    FIXTURES_REQUIRED wine_session RUN_SERIAL ON LABELS wine TIMEOUT ${wine_test_timeout}
    ENVIRONMENT "${payload_environment};LUMIFOLD_WINEARCH=${session_arch}")
endforeach()
foreach(program IN LISTS lumifold_wow64_test_programs)
  if(NOT session_arch STREQUAL win32)
    add_skipped_test(${program}_wow64 "a 64-bit program never runs under WOW64")
    continue()
  endif()
  add_test(NAME ${program}_wow64
    COMMAND ${wine_session_script} run ${wine64_tests_session} ${windows_tests_dir}/${program}.exe)
  set_tests_properties(${program}_wow64 PROPERTIES
    FIXTURES_REQUIRED wine64_session RUN_SERIAL ON LABELS wine TIMEOUT ${wine_test_timeout}
    ENVIRONMENT "${payload_environment};LUMIFOLD_WINEARCH=win64")
endforeach()

# There the life cycle runs once more, and the installer started from the user's desktop by its
# Unicode path keeps its partner.
foreach(check "uninstall_test UninstallTest.UninstallStringLeavesTheMachineAsItWas"
              "partner_test PartnerTest.NameOutsideTheCodePageGivesNoKeyAndTheStoredOneStays")
  separate_arguments(check)
  list(GET check 0 program)
  list(GET check 1 filter)
  add_test(NAME ${program}_user_name
    COMMAND ${wine_session_script} run ${wine_user_tests_session}
            ${windows_tests_dir}/${program}.exe --gtest_filter=${filter})
  set_tests_properties(${program}_user_name PROPERTIES
    FIXTURES_REQUIRED wine_user_session RUN_SERIAL ON LABELS wine TIMEOUT ${wine_test_timeout}
    ENVIRONMENT "${payload_environment};${user_name_environment}")
endforeach()

add_test(NAME dll_search_trace
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_loader_trace.sh ${wine_session_script}
          ${wine_tests_session} ${windows_tests_dir}/dll_search_test.exe)
set_tests_properties(dll_search_trace PROPERTIES
  FIXTURES_REQUIRED wine_session RUN_SERIAL ON LABELS wine TIMEOUT ${wine_test_timeout}
  ENVIRONMENT "${time_environment};LUMIFOLD_SETUP_EXE=${SETUP_EXE};LUMIFOLD_WINEARCH=${session_arch}")
