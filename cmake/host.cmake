include(ExternalProject)

set(LUMIFOLD_APPLICATION "" CACHE FILEPATH "The application to install (default: the stand-in)")
set(LUMIFOLD_UNINSTALLER "" CACHE FILEPATH "The uninstaller to install (default: the stand-in)")
# Signed release builds (see cmake/signing.cmake): all empty for an unsigned build.
set(LUMIFOLD_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate and its chain (PEM)")
set(LUMIFOLD_SIGN_KEY "" CACHE FILEPATH "The code-signing certificate's private key (PEM)")
set(LUMIFOLD_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures")
set(LUMIFOLD_SIGN_TIME "" CACHE STRING
    "Signing time, seconds since 1970 (default: SOURCE_DATE_EPOCH, else the last commit's)")
set(LUMIFOLD_VERSION "1.0.0.0" CACHE STRING
    "The product's version: up to four numbers 0 to 65535 separated by dots")
set(LUMIFOLD_LICENSE "${CMAKE_SOURCE_DIR}/resources/license.txt" CACHE FILEPATH
    "The licence text: Windows-1252, CRLF line ends, no terminating NUL")

# Release payloads: zopfli's zlib streams (Debian's zopfli) where they are smaller than zlib
# level 9's and proven to fit the installer's bound; the packer falls back to level 9 otherwise.
option(LUMIFOLD_ZOPFLI "Pack the payloads with zopfli where that is smaller (release builds)" OFF)
set(zopfli_program "")
if(LUMIFOLD_ZOPFLI)
  find_program(LUMIFOLD_ZOPFLI_PROGRAM zopfli)
  if(NOT LUMIFOLD_ZOPFLI_PROGRAM)
    message(FATAL_ERROR
      "LUMIFOLD_ZOPFLI is ON but zopfli is not installed (apt-get install zopfli)")
  endif()
  set(zopfli_program ${LUMIFOLD_ZOPFLI_PROGRAM})
endif()

find_package(ZLIB REQUIRED)
add_executable(pack_payload tools/pack_payload.cpp tools/payload_stream.cpp)
target_include_directories(pack_payload PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(pack_payload PRIVATE ZLIB::ZLIB)

# The architecture of the Windows programs that the Wine tests run: i686, the release, or
# x86_64, the second build, for machines that run no 32-bit code. The 32-bit installer is built
# either way (the release, and its Windows 98 import table is checked on any machine); the
# x86-64 trees are kept apart, as installer-x86_64 and windows-tests-x86_64.
set(LUMIFOLD_ARCH i686 CACHE STRING "Architecture of the Windows programs under test (i686 or x86_64)")
set_property(CACHE LUMIFOLD_ARCH PROPERTY STRINGS i686 x86_64)
if(NOT LUMIFOLD_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "LUMIFOLD_ARCH must be i686 or x86_64, not \"${LUMIFOLD_ARCH}\"")
endif()
set(arch_suffix "")
if(LUMIFOLD_ARCH STREQUAL x86_64)
  set(arch_suffix -x86_64)
endif()

set(release_installer_dir ${CMAKE_BINARY_DIR}/installer)
set(installer_dir ${CMAKE_BINARY_DIR}/installer${arch_suffix})
set(windows_tests_dir ${CMAKE_BINARY_DIR}/windows-tests${arch_suffix})
set(RELEASE_SETUP_EXE ${release_installer_dir}/SETUP.exe)
set(SETUP_EXE ${installer_dir}/SETUP.exe)
# The programs that SETUP.exe carries, for the tests to compare what it installs with.
set(APPLICATION_EXE ${installer_dir}/Lumifold.exe)
set(UNINSTALLER_EXE ${installer_dir}/TevikUninstaller.exe)
if(LUMIFOLD_APPLICATION)
  set(APPLICATION_EXE ${LUMIFOLD_APPLICATION})
endif()
if(LUMIFOLD_UNINSTALLER)
  set(UNINSTALLER_EXE ${LUMIFOLD_UNINSTALLER})
endif()

# add_installer_tree(TARGET DIR ARCH): the product's programs built with that architecture's
# MinGW toolchain in DIR.
function(add_installer_tree target dir arch)
  ExternalProject_Add(${target}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${dir}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}-win32.cmake
      -DCMAKE_BUILD_TYPE=MinSizeRel
      -DLUMIFOLD_PACKER=$<TARGET_FILE:pack_payload>
      -DLUMIFOLD_ZOPFLI_PROGRAM=${zopfli_program}
      -DLUMIFOLD_APPLICATION=${LUMIFOLD_APPLICATION}
      -DLUMIFOLD_UNINSTALLER=${LUMIFOLD_UNINSTALLER}
      -DLUMIFOLD_LICENSE=${LUMIFOLD_LICENSE}
      -DLUMIFOLD_VERSION=${LUMIFOLD_VERSION}
      -DLUMIFOLD_SIGN_CERT=${LUMIFOLD_SIGN_CERT}
      -DLUMIFOLD_SIGN_KEY=${LUMIFOLD_SIGN_KEY}
      -DLUMIFOLD_TIMESTAMP_URL=${LUMIFOLD_TIMESTAMP_URL}
      -DLUMIFOLD_SIGN_TIME=${LUMIFOLD_SIGN_TIME}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    DEPENDS pack_payload)
endfunction()
add_installer_tree(installer ${release_installer_dir} i686)
if(arch_suffix)
  add_installer_tree(installer${arch_suffix} ${installer_dir} ${LUMIFOLD_ARCH})
endif()

ExternalProject_Add(windows_tests
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${windows_tests_dir}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${LUMIFOLD_ARCH}-posix.cmake
    -DCMAKE_BUILD_TYPE=Release
    -DLUMIFOLD_WINDOWS_TESTS=ON
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")

enable_testing()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_subdirectory(tests/native)
include(tests/windows/wine_tests.cmake)
include(tests/fuzz/fuzz_tests.cmake)

# The set-up's script against stand-ins for apt: failed index updates, with and without 32-bit code.
add_test(NAME install_deps_test
  COMMAND ${CMAKE_SOURCE_DIR}/tests/build/install_deps_test.sh ${CMAKE_SOURCE_DIR}
          ${CMAKE_BINARY_DIR}/install-deps-test)

add_test(NAME reproducible_build
  COMMAND ${CMAKE_SOURCE_DIR}/tests/build/reproducible_build.sh ${CMAKE_SOURCE_DIR}
          $<TARGET_FILE:pack_payload> ${CMAKE_BINARY_DIR}/reproducible)
set_tests_properties(reproducible_build PROPERTIES FIXTURES_SETUP signed_build)

# The signed build of reproducible_build installs as SETUP-abc.exe, and the signed programs
# land byte for byte.
set(signed_tree ${CMAKE_BINARY_DIR}/reproducible/first)
foreach(check "partner_test PartnerTest.KeyFromTheFileName*"
              "install_test InstallTest.InstallsTheApplication*:InstallTest.UninstallerLands*")
  separate_arguments(check)
  list(GET check 0 program)
  list(GET check 1 filter)
  if(LUMIFOLD_ARCH STREQUAL x86_64)
    add_skipped_test(signed_${program} "the signed build is the 32-bit release")
    continue()
  endif()
  add_test(NAME signed_${program}
    COMMAND ${wine_session_script} run ${wine_tests_session} ${windows_tests_dir}/${program}.exe
            --gtest_filter=${filter})
  set_tests_properties(signed_${program} PROPERTIES
    FIXTURES_REQUIRED "wine_session;signed_build" RUN_SERIAL ON LABELS wine TIMEOUT ${wine_test_timeout}
    ENVIRONMENT "${time_environment};LUMIFOLD_SETUP_EXE=${signed_tree}/SETUP.exe;LUMIFOLD_APPLICATION_EXE=${signed_tree}/Lumifold.exe;LUMIFOLD_UNINSTALLER_EXE=${signed_tree}/TevikUninstaller.exe")
endforeach()
