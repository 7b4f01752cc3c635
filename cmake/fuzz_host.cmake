# The fuzz targets need clang's libFuzzer while the host build may use g++: they are built by
# a clang sub-build in fuzz/ under this build folder, and each gets a short CTest run over its
# starting inputs. `make fuzz` runs them for long.
option(KVL_BUILD_FUZZ_TARGETS "Build the fuzz targets with clang++ and run them briefly as tests" ON)
if(NOT KVL_BUILD_FUZZ_TARGETS)
    return()
endif()

find_program(KVL_CLANG clang)
find_program(KVL_CLANGXX clang++)
if(NOT KVL_CLANG OR NOT KVL_CLANGXX)
    message(FATAL_ERROR "The fuzz targets need clang and clang++ (scripts/deps.sh installs "
                        "them), or configure with -DKVL_BUILD_FUZZ_TARGETS=OFF")
endif()

set(KVL_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
set(KVL_FUZZ_SMOKE_SECONDS 5 CACHE STRING "Seconds each fuzz target runs under CTest")

include(ExternalProject)
ExternalProject_Add(kvl_fuzz_build
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${KVL_FUZZ_DIR}
    CMAKE_ARGS -DCMAKE_C_COMPILER=${KVL_CLANG}
               -DCMAKE_CXX_COMPILER=${KVL_CLANGXX}
               -DKVL_FUZZ=ON
               -DKVL_TESTS=OFF
               # Optimised for speed, but with assertions and debug information kept.
               -DCMAKE_BUILD_TYPE=RelWithDebInfo
               "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g"
    INSTALL_COMMAND ""
    # The sub-build tracks its own sources; let it decide what is out of date.
    BUILD_ALWAYS ON)

foreach(name IN LISTS KVL_FUZZ_NAMES)
    add_test(NAME fuzz_${name}
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh --smoke --build ${KVL_FUZZ_DIR}
                     ${name} ${KVL_FUZZ_SMOKE_SECONDS})
endforeach()
