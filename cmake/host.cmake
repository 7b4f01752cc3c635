# Host build: the core under AddressSanitizer and UBSan, with its unit tests and, through a
# clang sub-build, the fuzz targets.
set(KVL_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
if(KVL_FUZZ)
    # Coverage feedback for libFuzzer in everything the targets reach.
    list(APPEND KVL_SANITIZE -fsanitize=fuzzer-no-link)
endif()
target_compile_options(kvl_core PRIVATE ${KVL_SANITIZE})
target_link_options(kvl_core PUBLIC ${KVL_SANITIZE})

include(cmake/fuzz_targets.cmake)

if(KVL_FUZZ)
    include(cmake/fuzz.cmake)
elseif(KVL_TESTS)
    find_package(GTest REQUIRED)
    file(GLOB KVL_UNIT_SOURCES CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp
        ${CMAKE_SOURCE_DIR}/tests/unit/fakes/*.cpp)
    add_executable(kvl_unit_tests ${KVL_UNIT_SOURCES})
    target_include_directories(kvl_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
    target_compile_options(kvl_unit_tests PRIVATE ${KVL_WARNINGS} ${KVL_SANITIZE})
    target_link_libraries(kvl_unit_tests PRIVATE kvl_core GTest::gtest_main)
    add_test(NAME unit COMMAND kvl_unit_tests)
    # The seeded simulation of a hostile desktop: `make soak` runs it for longer.
    add_executable(kvl_simulation ${CMAKE_SOURCE_DIR}/tests/sim/simulation.cpp)
    target_include_directories(kvl_simulation PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
    target_compile_options(kvl_simulation PRIVATE ${KVL_WARNINGS} ${KVL_SANITIZE})
    target_link_libraries(kvl_simulation PRIVATE kvl_core)
    add_test(NAME simulation COMMAND kvl_simulation)
    # No file of src/ includes a folder above its own layer.
    add_test(NAME layers COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh)
    # The probe that decides whether the i686 build's tests can run on this machine.
    add_test(NAME i386_probe COMMAND ${CMAKE_SOURCE_DIR}/tests/scripts/i386_probe_test.sh)

    include(cmake/fuzz_host.cmake)
endif()
