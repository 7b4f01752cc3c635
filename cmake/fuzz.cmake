# The clang sub-build: one libFuzzer executable per fuzz target, kvl_fuzz_<name>.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang++ with libFuzzer (scripts/deps.sh installs it)")
endif()

foreach(name IN LISTS KVL_FUZZ_NAMES)
    add_executable(kvl_fuzz_${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}_fuzz.cpp)
    # The targets drive the core through the unit tests' fakes.
    target_include_directories(kvl_fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
    target_compile_options(kvl_fuzz_${name} PRIVATE ${KVL_WARNINGS} ${KVL_SANITIZE})
    target_link_options(kvl_fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(kvl_fuzz_${name} PRIVATE kvl_core)
endforeach()

# What `scripts/fuzz.sh all` runs: the targets of this configuration, not whatever
# executables an older one left behind.
list(JOIN KVL_FUZZ_NAMES " " KVL_FUZZ_TARGET_LINE)
file(WRITE ${CMAKE_BINARY_DIR}/targets.txt "${KVL_FUZZ_TARGET_LINE}\n")
