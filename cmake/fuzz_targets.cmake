# The fuzz targets: tests/fuzz/<name>_fuzz.cpp, each with its starting inputs in
# tests/fuzz/corpus/<name>/. Shared by the host build (which runs them) and the clang
# sub-build (which compiles them).
set(KVL_FUZZ_NAMES command_line settings reg_file caption_pattern)

# The key-text target needs the key-text grammar and the keystroke steps; it joins the list
# as soon as they are in the tree.
if(EXISTS ${CMAKE_SOURCE_DIR}/src/engine/key_text.h
   AND EXISTS ${CMAKE_SOURCE_DIR}/src/engine/keystroke_step.h
   AND EXISTS ${CMAKE_SOURCE_DIR}/tests/unit/fakes/fake_desktop.h)
    list(APPEND KVL_FUZZ_NAMES key_text)
endif()
