# Host tree: builds the fuzzers with clang and runs each for a few seconds as a test, starting
# from the committed seeds; what it finds stays in build/fuzz/corpus-<name> for the next run.
set(fuzz_dir ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(fuzzers
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${fuzz_dir}
  CMAKE_ARGS -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLUMIFOLD_FUZZ=ON
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")

set(LUMIFOLD_FUZZ_SECONDS 5 CACHE STRING "How long each fuzzer runs in the test command")
foreach(name path_join inflate partner_key settings_document)
  file(MAKE_DIRECTORY ${fuzz_dir}/corpus-${name})
  add_test(NAME fuzz_${name}
    COMMAND ${fuzz_dir}/fuzz_${name} -max_total_time=${LUMIFOLD_FUZZ_SECONDS}
            -artifact_prefix=${fuzz_dir}/crash-${name}- -print_final_stats=1
            ${fuzz_dir}/corpus-${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/seeds/${name})
endforeach()
